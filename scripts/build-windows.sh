#!/usr/bin/env bash
# scripts/build-windows.sh BUILD_DIR [cmake options...]: cross-builds the programs and their tests for
# 64-bit Windows with mingw-w64 (installing the Debian packages it needs): orlo-setup.exe, orloctl.exe,
# orlo-sim.exe and their tests, the desktop tool linked with the static Qt of scripts/build-qt-windows.sh
# (built first when its cache folder is absent: most of an hour on 2 cores). ORLO_WINDOWS_QT=off builds
# only the Qt-free programs and tests. `ctest` in BUILD_DIR runs the tests under wine.
set -euo pipefail
dir=$1; shift
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
qt_options=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORLO_BUILD_UI=OFF)
if [ "${ORLO_WINDOWS_QT:-on}" = on ]; then
    qt_prefix=$(scripts/build-qt-windows.sh)
    # Qt's toolchain file finds the cross Qt and the host tools, then loads ours for the compilers.
    qt_options=(-DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake"
                -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" -DORLO_BUILD_UI=ON)
fi
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${qt_options[@]}" \
        -DORLO_BUILD_BENCH=OFF -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$(realpath -m "$dir")" \
        "$@" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
