#!/usr/bin/env bash
# scripts/build.sh BUILD_DIR [cmake options...]: configure (once) and build.
set -euo pipefail
dir=$1; shift
cd "$(dirname "$0")/.."
[ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
