#!/usr/bin/env bash
# scripts/screenshot.sh [BUILD_DIR] [OUTPUT_PNG]: starts orlo-setup under a virtual X server and saves
# a picture of its main window connected to the built-in simulated sensor (default docs/demo.png).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
output=${2:-docs/demo.png}
program="$build/gui/orlo-setup"
[ -x "$program" ] || { echo "no $program: build first (scripts/build.sh $build)" >&2; exit 1; }
mkdir -p "$(dirname "$output")"
output=$(realpath "$output")
# The window draws itself into the file once it is up, then closes.
QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -dpi 96" \
    "$program" --demo --screenshot "$output"
echo "saved $output"
