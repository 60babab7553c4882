#!/usr/bin/env bash
# Builds everything and runs every test. Exits non-zero on any failure.
# ORLO_SANITIZERS=1 also builds and runs the tests under AddressSanitizer + UndefinedBehaviorSanitizer,
# the non-UI tests (all the threaded code) under ThreadSanitizer, and each fuzzer for 20 s.
# ORLO_SANITIZERS=1 or ORLO_WINDOWS=1 also cross-builds the programs for Windows, the desktop tool with
# its own static Qt (built once into ~/.cache/orlo-x1 when absent, most of an hour), and runs their tests
# under Wine (scripts/windows-tests.sh).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
scripts/build.sh build
# The libraries and programs without Qt, built once more without Qt in reach: a Qt include below the
# UI line fails here.
scripts/build.sh build-noui -DORLO_BUILD_UI=OFF -DORLO_BUILD_TESTS=OFF -DORLO_BUILD_BENCH=OFF
(cd build && ctest --output-on-failure --parallel "$(nproc)" --timeout 300)
if [ "${ORLO_SANITIZERS:-0}" = 1 ]; then
    lsan_suppressions=$PWD/tests/lsan.supp
    # A run that must first build the Windows Qt (an empty cache: most of an hour on 2 cores) leaves
    # the UI tests out of this build to stay within CI's time; every later run has them.
    asan_ui=ON
    scripts/build-qt-windows.sh --check || asan_ui=OFF
    scripts/build.sh build-asan -DORLO_SANITIZE=address,undefined -DORLO_BUILD_BENCH=OFF -DORLO_BUILD_UI=$asan_ui
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$lsan_suppressions" \
        UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --output-on-failure --parallel "$(nproc)" --timeout 600)
    scripts/build.sh build-tsan -DORLO_SANITIZE=thread -DORLO_BUILD_UI=OFF -DORLO_BUILD_BENCH=OFF
    (cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure --parallel "$(nproc)" --timeout 600)
    scripts/run-fuzzers.sh build-fuzz 20
fi
if [ "${ORLO_SANITIZERS:-0}" = 1 ] || [ "${ORLO_WINDOWS:-0}" = 1 ]; then
    scripts/windows-tests.sh build-windows
fi
