#!/usr/bin/env bash
# Builds everything and starts the set-up tool against its built-in simulated sensor
# (orlo-setup --demo): the live picture with people walking through and their detections.
# Without a display it runs the tool under a virtual X server, saves a picture of the window to
# orlo-setup-demo.png and shows orloctl working against the simulator instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/gui/orlo-setup --demo "$@"
fi

echo "== no display: orlo-setup --demo under Xvfb, window saved to orlo-setup-demo.png"
QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -dpi 96" \
    build/gui/orlo-setup --demo --screenshot "$PWD/orlo-setup-demo.png"

workdir=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -rf "$workdir"' EXIT
build/sim/orlo-sim --tcp 127.0.0.1:0 >"$workdir/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
    port=$(grep -o '127.0.0.1:[0-9]*' "$workdir/sim.log" | head -n1 | cut -d: -f2 || true)
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "${port:-}" ] || { cat "$workdir/sim.log"; echo "simulator did not start" >&2; exit 1; }
ctl=(build/cli/orloctl --lan "127.0.0.1:$port" --dir "$workdir")
echo "== orloctl info";            "${ctl[@]}" info
echo "== orloctl get areas";       "${ctl[@]}" get areas
echo "== orloctl detect (5 cycles, 300 ms apart)"
"${ctl[@]}" detect --count 5 --interval 300
