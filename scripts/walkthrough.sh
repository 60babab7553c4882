#!/usr/bin/env bash
# scripts/walkthrough.sh [BUILD_DIR]: the whole installation of one sensor with orlo-setup alone, as
# docs/walkthrough.md describes it, with the mouse and keyboard (xdotool) under a virtual X server
# against orlo-sim on the loopback: connect, direction, threshold, size mask, area mask, motion
# mask, false detection, both detection areas, apply, back up to a file, initialise, restore from
# the file, compare with it, save the report with its details. Saves a picture of each step to
# docs/walkthrough/ and ends with `orloctl diff` against the backup, which must find no difference,
# and `orloctl detect`, which must still flag the registered plant as a false detection. Needs xvfb,
# xdotool, imagemagick (import, convert) and poppler-utils (pdftoppm).
# Coordinates are those of the layouts at 96 dpi, relative to each window.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
. scripts/lib-xvfb.sh
xvfb_reexec "$0" "$@"
shots=docs/walkthrough
# The system page's "比較" and "報告書" buttons and the report details' OK, relative to their windows.
compare_y=659 report_y=913 details_ok_x=160 details_ok_y=253
mkdir -p "$shots"
make_workdir
start_sim "$build" "$workdir/sim.log" --restart-seconds 1

# The tool in a directory of its own, which remembers the simulator as the last LAN connection
# (127.0.0.1 stored as one number).
mkdir "$workdir/app"
cp "$build/gui/orlo-setup" "$workdir/app/"
cp -r "$build/gui/conf" "$workdir/app/"
printf '[Application]\nIPAddress=2130706433\nPortNo=%s\nAngleOfView_Lan=90\n' "$port" >"$workdir/app/Orlo-X1.conf"
(cd "$workdir/app" && exec ./orlo-setup >"$workdir/app.log" 2>&1) &
app_pid=$!

shot() { # NAME [WINDOW]: the window (the main window by default) as docs/walkthrough/NAME.png
    import -window "${2:-$main}" "$shots/$1.png"
}
main_window() { ox=$main_x oy=$main_y; }
# An editor opened from the page: its origin, once its picture has loaded behind the wait dialog.
editor() { # TITLE
    origin_of --name "$1"
    sleep 1.5
}
# A file dialog: the path typed into its name field, which has the focus.
choose_file() { # PATH
    sleep 1.5
    xdotool type "$1"
    xdotool key Return
    sleep 0.5
}
answer() { sleep 0.5; xdotool key Return; sleep 0.5; } # the default button of a message box

echo "== 1 connect over LAN"
origin_of --class orlo-setup
main=$window main_x=$ox main_y=$oy
click 479 52          # "接続"
click 464 112         # "LAN(L)..."
origin_of --name "LAN接続"
shot 01-connect "$window"
click 125 162         # "接続": the address and port remembered above
sleep 3
main_window
shot 02-monitoring

echo "== 2 camera page: the sensor mounted turned by 180 degrees"
click 70 134          # "カメラ"
sleep 1.5
click 480 372         # "180度"
click 480 528         # "反映"
answer                # 1140: set the regions again
sleep 2
shot 03-camera

echo "== 3 detection page: threshold and size mask"
click 70 191          # "検出"
sleep 2
click 328 30; xdotool type 450
click 568 100         # "サイズ設定"
editor "サイズマスク設定"
click 660 101         # the second detection of the list (red)
click 325 27; xdotool key ctrl+a type 40
click 418 27; xdotool key ctrl+a type 1200
shot 04-size-mask "$window"
click 304 711         # OK

echo "== 4 an area mask and a motion mask"
main_window
click 342 450         # "エリア設定"
editor "エリア設定"
drag 60 170 230 330
shot 05-area-mask "$window"
click 360 688         # OK
main_window
click 633 801         # "マスク設定"
editor "エリア設定"
drag 250 250 420 420
shot 06-motion-mask "$window"
click 344 688         # OK

echo "== 5 a false detection: the potted plant"
main_window
click 633 450         # "矩形登録"
editor "誤検出矩形登録"
click 130 360         # the plant that stands still, picked on the picture (orange) ...
click 914 176         # ... "登録 >>" (blue)
shot 07-false-detection "$window"
click 539 711         # OK

echo "== 6 both detection areas"
main_window
click 342 801         # "領域設定"
editor "検出領域設定"
click 700 76          # "人体検出領域": handles on the whole picture
drag 13 128 60 230    # its top-left handle (the plant stays inside)
click 700 118         # "動体検知領域(近距離)"
drag 603 568 470 480  # its bottom-right handle
shot 08-detection-areas "$window"
click 388 708         # OK

echo "== 7 apply"
main_window
click 488 856         # "反映": written, read back and shown again
sleep 3
shot 09-detection-page

echo "== 8 back up to a file"
click 70 247          # "システム"
sleep 1
click 356 480         # "保存"
choose_file "$workdir/backup.ini"
sleep 2
[ -s "$workdir/backup.ini" ] || { echo "no backup written" >&2; exit 1; }
shot 10-system

echo "== 9 initialise"
click 356 210         # "初期化"
answer                # 1124: Yes
sleep 5               # the sensor restarts and comes back
echo "== 10 restore from the file"
click 356 584         # "反映"
choose_file "$workdir/backup.ini"
answer                # 1125: Yes
sleep 2
shot 11-restored      # the quiet confirmation under the page

echo "== 11 compare the sensor with the backup"
click 356 $compare_y  # "比較"
choose_file "$workdir/backup.ini"
sleep 1
origin_of --name "設定ファイルとの比較"
shot 12-compare "$window"
xdotool key Escape
sleep 0.5

echo "== 12 the commissioning report with its details"
main_window
click 356 $report_y   # "報告書"
origin_of --name "報告書の記載事項"
xdotool type "North gate, hall B"; xdotool key Tab
xdotool type "ACME Logistics"; xdotool key Tab
xdotool type "K. Sato"; xdotool key Tab
xdotool type "Sensor above the door; ladder in the store room."
shot 13-report-details "$window"
click $details_ok_x $details_ok_y # OK
choose_file "$workdir/report.pdf"
sleep 4
[ -s "$workdir/report.pdf" ] || { echo "no report written" >&2; exit 1; }
pdftoppm -png -r 70 -f 1 -l 1 "$workdir/report.pdf" "$workdir/report"
convert "$workdir"/report-1.png -crop 100%x45%+0+0 +repage "$shots/14-report-header.png"

# The tool holds the link; it ends before orloctl asks the sensor.
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=
echo "== 13 orloctl diff against the backup"
"$build/cli/orloctl" --lan "127.0.0.1:$port" --dir "$workdir" diff "$workdir/backup.ini"
grep -q '^Threshold=450' "$workdir/backup.ini" || { echo "the backup lacks the threshold" >&2; exit 1; }
grep -q '^\[OrloSetupFalseRect\]' "$workdir/backup.ini" || { echo "the backup lacks the false detections" >&2; exit 1; }
echo "== 14 the plant is still a false detection after the factory reset and the restore"
"$build/cli/orloctl" --lan "127.0.0.1:$port" --dir "$workdir" detect --count 1 --json | tee "$workdir/detect.json"
grep -q '"falseDetection": [1-9]' "$workdir/detect.json" || { echo "no false detection flagged" >&2; exit 1; }
echo "the sensor matches its backup; pictures in $shots/"
