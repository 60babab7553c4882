#!/usr/bin/env bash
# bench/windows_startup.sh WINDOWS_BUILD_DIR [RUNS]: starts orlo-setup.exe --demo of a Windows cross build
# under Wine on a private virtual X server, RUNS times (default 3), and prints for each run the time from
# the start of wine to the main window being shown, and the program's peak resident memory after 15 s of
# monitoring the demo's sensor. Uses the Wine prefix scripts/windows-tests.sh made in WINDOWS_BUILD_DIR.
# Runs in a network namespace of its own (the demo's sensor listens on loopback). Wine is not Windows:
# the figures are for information.
set -euo pipefail
dir=$(realpath "$1")
runs=${2:-3}
[ -f "$dir/orlo-setup.exe" ] || { echo "no orlo-setup.exe in $dir" >&2; exit 1; }
[ -f "$dir/wineprefix/system.reg" ] || { echo "no Wine prefix in $dir: run scripts/windows-tests.sh $dir" >&2; exit 1; }
command -v xdotool >/dev/null || { echo "xdotool is needed (apt-get install xdotool)" >&2; exit 1; }

if [ "${ORLO_IN_NAMESPACE:-}" != 1 ]; then
    exec unshare -n env ORLO_IN_NAMESPACE=1 "$0" "$@"
fi
ip link set lo up

export WINEPREFIX=$dir/wineprefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=:${ORLO_WINE_DISPLAY_NUMBER:-93}
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver --kill 2>/dev/null; kill "$xvfb" 2>/dev/null' EXIT
sleep 1

work=$(mktemp -d)
trap 'wineserver --kill 2>/dev/null; kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
cp "$dir/orlo-setup.exe" "$work/"
cd "$work"
for run in $(seq "$runs"); do
    start=$(date +%s%N)
    wine ./orlo-setup.exe --demo >/dev/null 2>&1 &
    program=$!
    window=
    for _ in $(seq 1500); do
        window=$(xdotool search --onlyvisible --classname orlo-setup 2>/dev/null | head -n1) && [ -n "$window" ] && break
        sleep 0.02
    done
    shown=$((($(date +%s%N) - start) / 1000000))
    sleep 15
    # The largest of the processes Wine runs the program in (its loader stays small).
    peak_kib=0
    for pid in "$program" $(pgrep -P "$program"); do
        kib=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
        [ "${kib:-0}" -gt "$peak_kib" ] && peak_kib=$kib
    done
    echo "run $run: window shown after $shown ms; peak RSS $(awk -v k="$peak_kib" 'BEGIN { printf "%.1f", k / 1024 }') MiB"
    [ -n "$window" ] && xdotool windowactivate --sync "$window" key alt+F4 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    wineserver --wait
done
