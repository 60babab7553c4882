#!/usr/bin/env bash
# scripts/replay-walkthrough.sh [BUILD_DIR]: records a monitoring session of orlo-setup (--log) against
# orlo-sim under a virtual X server, plays its CmdLog.log back with orlo-sim --replay to a second
# orlo-setup, and compares the detection logs of both runs (without their time column) line by line;
# saves the window of each run and, from the recording run, a PDF commissioning report through the
# system page's report button (docs/replay-replayed.png, docs/report-page.png,
# and with ghostscript the report's first page, docs/report-pdf.png).
# Needs xvfb, xdotool and imagemagick (import).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
. scripts/lib-xvfb.sh
xvfb_reexec "$0" "$@"
make_workdir
start_sim "$build" "$workdir/sim.log" --seed 5
recorder_sim=$sim_pid
"$build/cli/orloctl" --lan "127.0.0.1:$port" --dir "$workdir" set area-masks 0,100,600,700,1150,foot
"$build/cli/orloctl" --lan "127.0.0.1:$port" --dir "$workdir" set areas motion 600 250 1400 900

# One tool directory per run, remembering its sensor as the last LAN connection, with the detection log on.
tool_dir() { # NAME PORT
    mkdir "$workdir/$1"
    cp "$build/gui/orlo-setup" "$workdir/$1/"
    cp -r "$build/gui/conf" "$workdir/$1/"
    touch "$workdir/$1/outputdetectlog"
    printf '[Application]\nIPAddress=2130706433\nPortNo=%s\nAngleOfView_Lan=90\n' "$2" >"$workdir/$1/Orlo-X1.conf"
}
connect_lan() {
    origin_of --class orlo-setup
    main=$window main_x=$ox main_y=$oy
    click 479 52  # "接続"
    click 464 112 # "LAN(L)..."
    origin_of --name "LAN接続"
    click 125 162 # "接続": the address and port remembered above
}
detections() { # DIR: the detection log without its time column
    cut -d, -f2- "$1"/log/*.csv
}

echo "== record: monitoring with --log"
tool_dir recorded "$port"
(cd "$workdir/recorded" && exec ./orlo-setup --log) >"$workdir/recorded.log" 2>&1 &
app_pid=$!
connect_lan
sleep 6
import -window "$main" "$workdir/recorded.png"
echo "== the report button on the system page"
ox=$main_x oy=$main_y
click 70 247 # "システム"
sleep 1
import -window "$main" docs/report-page.png
click 356 913 # "報告書"
sleep 1.5
xdotool type "$workdir/site-report.pdf"
xdotool key Return
sleep 4
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=
head -c 4 "$workdir/site-report.pdf" | grep -q '%PDF' || { echo "no report written" >&2; exit 1; }
if command -v gs >/dev/null; then
    gs -q -dNOPAUSE -dBATCH -sDEVICE=png16m -r60 -dFirstPage=1 -dLastPage=1 \
        -sOutputFile=docs/report-pdf.png "$workdir/site-report.pdf"
fi
kill "$recorder_sim"
wait "$recorder_sim" 2>/dev/null || true

echo "== replay to a second tool"
start_sim "$build" "$workdir/replay.log" --replay "$workdir/recorded/CmdLog.log"
tool_dir replayed "$port"
(cd "$workdir/replayed" && exec ./orlo-setup) >"$workdir/replayed.log" 2>&1 &
app_pid=$!
connect_lan
sleep 6
import -window "$main" docs/replay-replayed.png

recorded_lines=$(detections "$workdir/recorded" | wc -l)
replayed_lines=$(detections "$workdir/replayed" | wc -l)
common=$((recorded_lines < replayed_lines ? recorded_lines : replayed_lines))
echo "detection lines: recorded $recorded_lines, replayed $replayed_lines"
if [ "$common" -gt 0 ] && cmp <(detections "$workdir/recorded" | head -n "$common") \
    <(detections "$workdir/replayed" | head -n "$common"); then
    echo "the first $common detection lines agree byte for byte"
else
    echo "the detection logs differ" >&2
    exit 1
fi
