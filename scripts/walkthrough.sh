#!/usr/bin/env bash
# scripts/walkthrough.sh [BUILD_DIR]: the whole installation of one sensor with orlo-setup alone, as
# docs/walkthrough.md describes it, with the mouse and keyboard (xdotool) under a virtual X server
# against orlo-sim on the loopback: connect, direction, threshold, size mask, area mask, motion
# mask, false detection, both detection areas, apply, back up to a file, initialise, restore from
# the file. Saves a picture of each step to docs/walkthrough/ and ends with `orloctl diff` against
# the backup, which must find no difference. Needs xvfb, xdotool and imagemagick (import).
# Coordinates are those of the layouts at 96 dpi, relative to each window.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
. scripts/lib-xvfb.sh
xvfb_reexec "$0" "$@"
shots=docs/walkthrough
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
click 660 71          # the second detection of the list (red)
click 325 27; xdotool key ctrl+a type 40
click 418 27; xdotool key ctrl+a type 1200
shot 04-size-mask "$window"
click 304 684         # OK

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
click 539 684         # OK

echo "== 6 both detection areas"
main_window
click 342 801         # "領域設定"
editor "検出領域設定"
click 700 76          # "人体検出領域": handles on the whole picture
drag 13 128 160 230   # its top-left handle
click 700 118         # "動体検知領域(近距離)"
drag 603 568 470 480  # its bottom-right handle
shot 08-detection-areas "$window"
click 388 684         # OK

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
sleep 3


# The tool holds the link; it ends before orloctl asks the sensor.
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=
echo "== 11 orloctl diff against the backup"
"$build/cli/orloctl" --lan "127.0.0.1:$port" --dir "$workdir" diff "$workdir/backup.ini"
grep -q '^Threshold=450' "$workdir/backup.ini" || { echo "the backup lacks the threshold" >&2; exit 1; }
echo "the sensor matches its backup; pictures in $shots/"
