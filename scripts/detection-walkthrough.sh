#!/usr/bin/env bash
# scripts/detection-walkthrough.sh [BUILD_DIR]: uses orlo-setup as an installer would, with the mouse
# and keyboard (xdotool) under a virtual X server, against orlo-sim on the loopback: connects over
# LAN, opens the detection page, changes the threshold (typed, then one spin step) and the size
# mask, draws area masks and a motion mask in the editors, applies with "反映", saves the page to
# docs/detection-page.png and checks with orloctl that the sensor holds all of it. The sensor gets
# false-detection rectangles and detection areas from orloctl first, so that every preview shows
# something. Needs xvfb, xdotool and imagemagick (import). Coordinates are those of the layouts at
# 96 dpi, relative to each window.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
. scripts/lib-xvfb.sh
xvfb_reexec "$0" "$@"
make_workdir
start_sim "$build" "$workdir/sim.log"
ctl=("$build/cli/orloctl" --lan "127.0.0.1:$port" --dir "$workdir")
"${ctl[@]}" set false-rects 2,1050,150,1250,420 5,160,820,420,1120
"${ctl[@]}" set areas human 80 60 1500 1150
"${ctl[@]}" set areas motion 600 250 1400 900

# The tool in a directory of its own, which remembers the simulator as the last LAN connection
# (127.0.0.1 stored as one number).
mkdir "$workdir/app"
cp "$build/gui/orlo-setup" "$workdir/app/"
cp -r "$build/gui/conf" "$workdir/app/"
printf '[Application]\nIPAddress=2130706433\nPortNo=%s\nAngleOfView_Lan=90\n' "$port" >"$workdir/app/Orlo-X1.conf"
"$workdir/app/orlo-setup" >"$workdir/app.log" 2>&1 &
app_pid=$!

type_into() { # X Y TEXT: the range edit selects its whole text when it gets the focus
    click "$1" "$2"
    xdotool type "$3"
}
# The sensor rectangle of a drag in a mask editor: box at (8, 48), picture at surface (0, 75),
# 600 / 1599 surface pixels per sensor unit, both ends truncated.
drawn() { # SLOT X1 Y1 X2 Y2
    awk -v s="$1" -v x1="$2" -v y1="$3" -v x2="$4" -v y2="$5" 'function t(v) { return int((v) * 1599 / 600) }
        function min(a, b) { return a < b ? a : b } function max(a, b) { return a > b ? a : b }
        BEGIN { print s, t(min(x1, x2) - 8), t(min(y1, y2) - 123), t(max(x1, x2) - 8), t(max(y1, y2) - 123) }'
}

echo "== connect over LAN and open the detection page"
origin_of --class orlo-setup # the main window, the tool's only window yet
main=$window main_x=$ox main_y=$oy
click 479 52          # "接続"
click 464 112         # "LAN(L)..."
origin_of --name "LAN接続"
click 125 162         # "接続": the address and port remembered above
sleep 3
ox=$main_x oy=$main_y
click 70 191          # "検出"
sleep 2

echo "== threshold 450 typed, one spin step up; size mask 40 to 1200"
type_into 328 30 450
click 367 22          # the threshold spin's upper arrow
type_into 328 100 40
type_into 438 100 1200

echo "== area masks drawn in the area-mask editor"
click 342 450         # "エリア設定"
origin_of --name "エリア設定"
sleep 1.5             # the picture loads behind the wait dialog
drag 60 170 230 330   # area 0
drag 380 330 570 500  # area 1
drag 420 140 540 250  # area 2
click 360 688         # OK
echo "== a motion mask drawn in the motion-mask editor"
ox=$main_x oy=$main_y
click 633 801         # "マスク設定"
origin_of --name "エリア設定"
sleep 1.5
drag 250 250 420 420  # mask 0
click 344 688         # OK

ox=$main_x oy=$main_y
click 488 856         # "反映": written, read back and shown again
sleep 3
import -window "$main" docs/detection-page.png

# The tool holds the link; it ends before orloctl asks the sensor.
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=

echo "== what the sensor holds"
{
    echo "threshold $("${ctl[@]}" get threshold)"
    echo "sizemask $("${ctl[@]}" get sizemask)"
    "${ctl[@]}" get area-masks | awk '$2 != -1 {print "area", $0}'
    "${ctl[@]}" get motion-masks | awk '$2 != -1 {print "motion", $0}'
} | tee "$workdir/stored"
{
    echo "threshold 451"
    echo "sizemask 40 1200"
    for mask in "0 60 170 230 330" "1 380 330 570 500" "2 420 140 540 250"; do
        echo "area $(drawn $mask) center"
    done
    echo "motion $(drawn 0 250 250 420 420)"
} >"$workdir/expected"
diff "$workdir/expected" "$workdir/stored"
echo "the sensor holds what was drawn; saved docs/detection-page.png"
