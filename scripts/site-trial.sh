#!/usr/bin/env bash
# scripts/site-trial.sh [BUILD_DIR]: a site of 12 simulated sensors on 127.0.0.1 to 127.0.0.12, port
# 9600, each with an information text of its own (Japanese, a path, control characters, none), tried
# as an installer would: `orloctl scan 127.0.0.1-20 --identify`, a backup of every sensor, a diff of
# all of them against one backup after two were changed, and the IP search of orlo-setup with
# "センサー情報を表示" ticked, with the mouse under a virtual X server (picture to
# docs/ip-search-details.png). Runs in a network namespace of its own (unshare -n; a user namespace
# with it when not root), so port 9600 and the pings stay inside. Needs xvfb, xdotool, imagemagick
# and ip (iproute2).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
if [ -z "${SITE_TRIAL_INSIDE:-}" ]; then
    export SITE_TRIAL_INSIDE=1
    if [ "$(id -u)" = 0 ]; then exec unshare -n "$0" "$build"; else exec unshare -rn "$0" "$build"; fi
fi
ip link set lo up
. scripts/lib-xvfb.sh
xvfb_reexec "$0" "$build"
make_workdir
orloctl=$build/cli/orloctl

texts=("入口 北" "入口 南" "レジ 1" "レジ 2" "レジ 3" "倉庫" "Entrance/../West" "" "2F 通路" "事務所\\\\奥"
       'bell\x07\x1b[31mred' "Kasse 12")
sims=()
for i in $(seq 1 12); do
    "$build/sim/orlo-sim" --tcp "127.0.0.$i:9600" --info-text "${texts[$((i - 1))]}" >"$workdir/sim$i.log" 2>&1 &
    sims+=($!)
done
trap 'kill "${sims[@]}" 2>/dev/null || true; end_walkthrough' EXIT
sleep 1
cd "$workdir"

step() { echo; echo "\$ $*"; "$@" || echo "(exit status $?)"; }
step "$orloctl" scan 127.0.0.1-20 --identify
step "$orloctl" --hosts 127.0.0.1-20 --jobs 4 export backup/
ls backup
"$orloctl" --lan 127.0.0.4 set threshold 640 >/dev/null
"$orloctl" --lan 127.0.0.9 set sizemask 40 1200 >/dev/null
step "$orloctl" --hosts 127.0.0.1-20 diff "backup/127.0.0.4_レジ_2.ini"
cd - >/dev/null

echo; echo "== orlo-setup: LAN dialog, search 127.0.0.7-20 with the sensor details"
mkdir "$workdir/app"
cp "$build/gui/orlo-setup" "$workdir/app/"
cp -r "$build/gui/conf" "$workdir/app/"
printf '[Application]\nIPAddress=2130706433\nPortNo=9600\nAngleOfView_Lan=90\nSearchStartAddress=2130706439\nSearchEndAddress=20\n' \
    >"$workdir/app/Orlo-X1.conf"
(cd "$workdir/app" && exec ./orlo-setup >"$workdir/app.log" 2>&1) &
app_pid=$!
origin_of --class orlo-setup
click 479 52   # "接続"
click 464 112  # "LAN(L)..."
origin_of --name "LAN接続"
click 310 37   # "検索"
origin_of --name "IPアドレス検索"
click 281 31   # "センサー情報を表示"
origin_of --name "IPアドレス検索"
click 253 31   # the search button
sleep 2
import -window "$window" docs/ip-search-details.png
echo "saved docs/ip-search-details.png; [OrloSetup] of Orlo-X1.conf now:"
sed -n '/OrloSetup/,$p' "$workdir/app/Orlo-X1.conf"
