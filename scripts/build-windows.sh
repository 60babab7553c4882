#!/usr/bin/env bash
# scripts/build-windows.sh BUILD_DIR [cmake options...]: cross-builds the Qt-free programs and their tests
# for 64-bit Windows with mingw-w64 (installing the Debian packages it needs). BUILD_DIR then holds
# orloctl.exe, orlo-sim.exe and the test programs; `ctest` there runs the tests under wine.
set -euo pipefail
dir=$1; shift
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
        -DORLO_BUILD_UI=OFF -DORLO_BUILD_BENCH=OFF -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$(realpath -m "$dir")" \
        "$@" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
