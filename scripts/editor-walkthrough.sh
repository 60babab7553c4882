#!/usr/bin/env bash
# scripts/editor-walkthrough.sh [BUILD_DIR]: uses every region editor with the mouse (xdotool) under a
# virtual X server, against orlo-sim: draws, moves, resizes and deletes area masks and motion masks,
# registers false detections, shapes both detection areas and changes their order, and picks the size
# mask limits; saves a picture of each editor to docs/ and checks with orloctl that the sensor holds
# what was done. Needs xvfb, xdotool and imagemagick (import). Coordinates are those of the editors'
# layout at 96 dpi; the simulator's scene is the same on every run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
. scripts/lib-xvfb.sh
xvfb_reexec "$0" "$@"
harness="$(realpath "$build")/tests/gui/editors/region_editor_harness"
make_workdir
start_sim "$build" "$workdir/sim.log"
ctl=("$build/cli/orloctl" --lan "127.0.0.1:$port" --dir "$workdir")

# Window origin of the editor; client coordinates below are relative to it. The harness runs in the
# work directory, where the detection area editor keeps the order of the areas (Orlo-X1.conf).
open_editor() { # KIND [TITLE]
    (cd "$workdir" && exec "$harness" --lan "127.0.0.1:$port" --editor "$1" >"$1.out" 2>"$1.err") &
    harness_pid=$!
    kind=$1
    origin_of --name "${2:-エリア設定}"
    sleep 1.5 # the picture loads behind the wait dialog
}
# The harness has written what the editor handed back; its complaint otherwise.
finish_editor() {
    wait "$harness_pid" || { echo "the $kind editor failed:" >&2; cat "$workdir/$kind.err" >&2; exit 1; }
}
# Rectangles the harness wrote and the sensor reports, as "number left top right bottom".
compare() { # KIND NAME
    sed -n "s/^$1 \([0-9]*\): \([-0-9]*\) \([-0-9]*\) \([-0-9]*\) \([-0-9]*\).*/\1 \2 \3 \4 \5/p" "$workdir/$1.out" >"$workdir/drawn"
    "${ctl[@]}" get "$2" | awk '$2 != -1 {print $1, $2, $3, $4, $5}' >"$workdir/stored"
    echo "== $2 drawn in the editor and read back from the sensor:"
    cat "$workdir/stored"
    [ -s "$workdir/drawn" ] && diff "$workdir/drawn" "$workdir/stored"
}

echo "== area-mask editor"
open_editor area
drag 60 160 230 300   # area 0
drag 250 330 420 470  # area 1
drag 380 200 560 300  # area 2
drag 120 420 300 540  # area 3
drag 450 420 590 560  # area 4
drag 470 250 440 190  # area 2 moved up and left
drag 415 465 470 520  # area 1 resized by its bottom-right handle
click 200 480         # area 3 selected ...
xdotool key Delete    # ... and deleted (1129, answered Yes)
sleep 0.4; xdotool key Return; sleep 0.3
click 780 96          # area 1's judgement button: overlap 70 %
judge=$(xdotool search --sync --onlyvisible --name "判定設定" | head -n1)
eval "$(xdotool getwindowgeometry --shell "$judge")"
xdotool mousemove $((X + 22)) $((Y + 82)) click 1 mousemove $((X + 90)) $((Y + 82)) click --repeat 3 1
xdotool type 70
xdotool mousemove $((X + 75)) $((Y + 130)) click 1
sleep 0.3
click 440 200         # area 2 selected: its handles show
click 660 132         # area 4's row: its number turns red
import -window "$window" docs/area-mask-editor.png
click 360 705         # OK: the harness writes the masks to the sensor
finish_editor
compare area area-masks

echo "== motion-mask editor"
open_editor motion
drag 70 150 250 280   # mask 0
drag 300 200 520 330  # mask 1
drag 100 380 260 540  # mask 2
drag 330 400 560 520  # mask 3
drag 150 200 200 260  # mask 0 moved right and down
drag 515 325 585 360  # mask 1 resized by its bottom-right handle
click 675 114         # mask 2's delete button (1129, answered Yes)
sleep 0.4; xdotool key Return; sleep 0.3
click 400 460         # mask 3 selected: its handles show
click 645 78          # mask 0's row: its number turns red
import -window "$window" docs/motion-mask-editor.png
click 344 705         # OK
finish_editor
compare motion motion-masks

echo "== false-detection registration"
open_editor false "誤検出矩形登録"
click 700 163         # the first candidate (the potted plant the sensor keeps seeing) ...
click 923 199         # ... "登録 >>"
click 106 348         # the person on the left, picked on the picture ...
click 923 199         # ... and registered
click 1100 178        # that registration picked in the list ...
click 923 291         # ... "<< 削除" (1128, answered Yes): the person is a candidate again
sleep 0.4; xdotool key Return; sleep 0.3
click 343 331         # the person in the middle picked on the picture (orange)
import -window "$window" docs/false-detection-editor.png
click 547 711         # OK: the harness writes the registration to the sensor
finish_editor
compare false false-rects
echo "== the sensor's next detections (the registered plant is a false detection now):"
"${ctl[@]}" --json detect --count 1 | tee "$workdir/detect.json"
grep -q '"left": 1198, "top": 488, "right": 1345, "bottom": 635, "value": [0-9]*, "areaMask": 0, "sizeMask": 0, "falseDetection": 1' "$workdir/detect.json"

echo "== size mask editor"
"${ctl[@]}" set sizemask 150 1600 # the smaller detections are then excluded (purple)
open_editor size "サイズマスク設定"
click 660 101         # the second detection of the list (red)
click 325 27; xdotool key ctrl+a type 120
click 418 27; xdotool key ctrl+a type 1500
click 660 101
import -window "$window" docs/size-mask-editor.png
click 304 711         # OK: the harness writes the limits
finish_editor
echo "== size mask written by the editor and read back from the sensor:"
"${ctl[@]}" get sizemask | tee "$workdir/stored"
[ "$(cat "$workdir/stored")" = "120 1500" ]
echo "== detection area editor"
open_editor detection-area "検出領域設定"
click 700 76          # "人体検出領域": handles on the whole picture
drag 13 128 160 230   # its top-left handle
drag 603 568 470 480  # its bottom-right handle
click 700 118         # "動体検知領域(近距離)"
drag 13 128 250 300   # its top-left handle
click 885 78          # up: the motion area is listed (and drawn) first, stored at once
grep -q '^DetectAreaOverlap=10' "$workdir/Orlo-X1.conf"
import -window "$window" docs/detection-area-editor.png
click 388 705         # OK: the harness writes both areas
finish_editor
echo "== detection areas written by the editor and read back from the sensor:"
"${ctl[@]}" get areas | tee "$workdir/stored"
diff "$workdir/detection-area.out" "$workdir/stored"

echo "saved docs/area-mask-editor.png, docs/motion-mask-editor.png, docs/false-detection-editor.png,"
echo "docs/detection-area-editor.png and docs/size-mask-editor.png"
