#!/usr/bin/env bash
# scripts/editor-keys-walkthrough.sh [BUILD_DIR]: the editors' keyboard, numbers and undo under a
# virtual X server with xdotool, against orlo-sim: draws two area masks with the mouse, moves and
# resizes one with the arrow keys, undoes a step, picks the other with Tab and types its left edge;
# saves a picture to docs/ and checks with orloctl that the sensor holds what the editor handed back.
# Needs xvfb, xdotool and imagemagick (import). Meant to run in a network namespace of its own:
#   unshare -n sh -c 'ip link set lo up && scripts/editor-keys-walkthrough.sh build'
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
. scripts/lib-xvfb.sh
xvfb_reexec "$0" "$@"
harness="$(realpath "$build")/tests/gui/editors/region_editor_harness"
make_workdir
start_sim "$build" "$workdir/sim.log"
ctl=("$build/cli/orloctl" --lan "127.0.0.1:$port" --dir "$workdir")

open_editor() { # KIND TITLE
    (cd "$workdir" && exec "$harness" --lan "127.0.0.1:$port" --editor "$1" >"$1.out" 2>"$1.err") &
    harness_pid=$!
    kind=$1
    origin_of --name "$2"
    sleep 1.5 # the picture loads behind the wait dialog
}
finish_editor() {
    wait "$harness_pid" || { echo "the $kind editor failed:" >&2; cat "$workdir/$kind.err" >&2; exit 1; }
}
key() { xdotool key "$@"; sleep 0.2; }
shot() { import -window "$window" "$1"; }

echo "== area-mask editor: keys, numbers, undo"
open_editor area "エリア設定"
drag 60 160 230 300   # area 0
drag 250 330 420 470  # area 1
click 330 400         # area 1 selected
key Right Right Right # three surface pixels to the right
key shift+Down        # ten down
key alt+Right         # its right edge one pixel further
key ctrl+z            # ... taken back
key Tab               # area 0 selected
click 700 501         # its left edge typed
key ctrl+a
xdotool type 300; key Return
shot "${SHOT:-docs/editor-keys.png}"
click 360 705         # OK: the harness writes the masks to the sensor
finish_editor
sed -n 's/^area \([0-9]*\): \([-0-9]*\) \([-0-9]*\) \([-0-9]*\) \([-0-9]*\).*/\1 \2 \3 \4 \5/p' "$workdir/area.out" >"$workdir/edited"
"${ctl[@]}" get area-masks | awk '$2 != -1 {print $1, $2, $3, $4, $5}' >"$workdir/stored"
echo "== area masks handed back by the editor and read back from the sensor:"
cat "$workdir/stored"
diff "$workdir/edited" "$workdir/stored"
