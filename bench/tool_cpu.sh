#!/usr/bin/env bash
# bench/tool_cpu.sh [BUILD_DIR] [SECONDS]: CPU share and peak memory of the whole desktop tool
# (orlo-setup --demo under Xvfb: user interface, acquisition loop and the in-process sensor) while
# monitoring at the default interval of 3000 ms. The connected-and-parked figure is printed by
# bench/acquisition_loop. ORLO_XVFB_DISPLAY chooses the virtual X server's display (default :97).
set -euo pipefail
build=$(realpath "${1:-build}")
seconds=${2:-20}
display=${ORLO_XVFB_DISPLAY:-:97}
work=$(mktemp -d)
trap 'kill "$xvfb_pid" "$tool_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
(cd "$work" && DISPLAY=$display QT_QPA_PLATFORM=xcb exec "$build/gui/orlo-setup" --demo >/dev/null 2>&1) &
tool_pid=$!
sleep 5 # connected and monitoring by now
ticks() { awk '{print $14 + $15}' "/proc/$tool_pid/stat"; }
hz=$(getconf CLK_TCK)
start=$(ticks)
sleep "$seconds"
end=$(ticks)
hwm=$(awk '/VmHWM/ {print $2}' "/proc/$tool_pid/status")
awk -v t=$((end - start)) -v hz="$hz" -v s="$seconds" -v hwm="$hwm" 'BEGIN {
    printf "orlo-setup --demo, monitoring every 3000 ms: %.3f %% of one core over %d s (target < 2 %%)\n", 100 * t / hz / s, s
    printf "peak RSS: %.1f MiB (target < 80 MiB)\n", hwm / 1024 }'
