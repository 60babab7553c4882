#!/usr/bin/env bash
# Builds the tools and shows them working against the simulator: orlo-sim on a free loopback port,
# then orloctl reading the sensor's identity, a few detection cycles and a picture.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build
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
"${ctl[@]}" detect --count 5 --interval 300 --png orlo-last-picture.png
echo "== last picture written to orlo-last-picture.png"
