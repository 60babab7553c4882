#!/usr/bin/env bash
# scripts/windows-tests.sh BUILD_DIR: the Windows cross build (scripts/build-windows.sh, the desktop tool
# included) and its tests under Wine, headless, in a Wine prefix inside BUILD_DIR (never in $HOME). When a
# native orlo-sim is built (ORLO_NATIVE_SIM, default build/sim/orlo-sim), its pseudo-terminal becomes COM5
# for the Win32 serial tests; without it those tests skip and say why. Ends by packaging the programs as a
# ZIP with CPack, unpacking it into an empty folder and starting orlo-setup.exe --demo from there.
set -euo pipefail
dir=$1
cd "$(dirname "$0")/.."
start=$(date +%s)
scripts/build-windows.sh "$dir"
dir=$(realpath "$dir")

export WINEPREFIX=$dir/wineprefix WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko: console programs need neither, and fetching them is not possible here.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver --wait
    # Qt 6 runs on Windows 10 and later; Wine reports Windows 7 unless told otherwise.
    wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
    wineserver --wait
fi

# Qt's offscreen platform on Windows finds fonts only in QT_QPA_FONTDIR, and Wine hands no QT_* variable
# from here to the program: the prefix's own environment names the CJK fonts the native tests use.
cjk_fonts=/usr/share/fonts/opentype/noto
if [ -d "$cjk_fonts" ]; then
    wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d "Z:${cjk_fonts//\//\\}" /f >/dev/null 2>&1
    wineserver --wait
fi

sim_pid=
cleanup() {
    [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
    rm -f "$WINEPREFIX/dosdevices/com5"
    wineserver --kill 2>/dev/null || true
}
trap cleanup EXIT

native_sim=${ORLO_NATIVE_SIM:-build/sim/orlo-sim}
if [ -x "$native_sim" ]; then
    link=$dir/sim-serial
    "$native_sim" --pty "$link" --no-throttle > "$dir/sim-serial.log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
    ln -sfn "$(readlink -f "$link")" "$WINEPREFIX/dosdevices/com5"
    export ORLO_TEST_COM_PORT=COM5
fi

# The end-to-end check: orloctl.exe reads the sensor's identity from orlo-sim.exe over TCP.
port=$((20000 + RANDOM % 20000))
wine "$dir/orlo-sim.exe" --tcp "127.0.0.1:$port" > "$dir/sim-tcp.log" 2>&1 &
tcp_sim=$!
for _ in $(seq 100); do grep -q '^tcp ' "$dir/sim-tcp.log" 2>/dev/null && break; sleep 0.1; done
info_status=0
wine "$dir/orloctl.exe" --lan "127.0.0.1:$port" info || info_status=$?
kill "$tcp_sim" 2>/dev/null || true
wait "$tcp_sim" 2>/dev/null || true
[ "$info_status" -eq 0 ] || { echo "orloctl.exe info failed ($info_status)"; exit 1; }

ctest_command=(ctest --output-on-failure --parallel "$(nproc)" --timeout 300)
if [ -f "$dir/orlo-setup.exe" ]; then
    # Wine starts its window system driver for every program that loads user32, which Qt does even when
    # it draws offscreen, and without a display that start never ends: the UI tests get a private
    # virtual X server.
    ctest_command=(xvfb-run --auto-servernum "--server-args=-screen 0 1280x1024x24" "${ctest_command[@]}")
fi
(cd "$dir" && "${ctest_command[@]}")

scripts/windows-package-check.sh "$dir"
echo "Windows stage: $(($(date +%s) - start)) s"
