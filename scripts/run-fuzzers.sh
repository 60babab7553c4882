#!/usr/bin/env bash
# scripts/run-fuzzers.sh BUILD_DIR SECONDS: builds the fuzzers with clang in BUILD_DIR and runs each for
# SECONDS on a copy of its seeds (fuzz/corpus/<name>/), so the repository is never changed. Exits
# non-zero when any fuzzer fails; the input that made it fail is kept in BUILD_DIR/fuzz-findings/.
set -euo pipefail
usage="usage: scripts/run-fuzzers.sh BUILD_DIR SECONDS"
dir=${1:?$usage}
seconds=${2:?$usage}
cd "$(dirname "$0")/.."
scripts/install-deps.sh
fuzzers=(fuzz_device_response fuzz_settings_file fuzz_ini_document fuzz_sim_request fuzz_mode_list fuzz_app_config)

CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORLO_BUILD_FUZZERS=ON \
    -DORLO_BUILD_UI=OFF -DORLO_BUILD_TESTS=OFF -DORLO_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target "${fuzzers[@]}"

findings=$(realpath "$dir")/fuzz-findings
mkdir -p "$findings"
# The settings fuzzer writes and syncs files for every input: keep them in memory where possible.
scratch_root=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_root=/dev/shm
work=$(mktemp -d "$scratch_root/orlo-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT

failed=()
for name in "${fuzzers[@]}"; do
    mkdir -p "$work/$name/corpus" "$work/$name/tmp"
    cp -R "fuzz/corpus/$name/." "$work/$name/corpus/"
    echo "== $name: ${seconds} s"
    # -timeout: an input that takes this long counts as a hang, which is a failure too.
    if TMPDIR="$work/$name/tmp" "$dir/fuzz/$name" -max_total_time="$seconds" -timeout=30 \
        -artifact_prefix="$findings/$name-" -print_final_stats=1 "$work/$name/corpus" \
        >"$work/$name/log" 2>&1; then
        grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/$name/log" || true
    else
        cp "$work/$name/log" "$findings/$name.log"
        tail -n 60 "$work/$name/log"
        failed+=("$name")
    fi
done
echo "fuzzers: $((${#fuzzers[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
if [ ${#failed[@]} -gt 0 ]; then
    echo "Failed: ${failed[*]} (inputs and logs in $findings)" >&2
    exit 1
fi
