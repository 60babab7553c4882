#!/usr/bin/env bash
# scripts/run-fuzzers.sh BUILD_DIR SECONDS [JOBS]: builds the fuzzers with clang in BUILD_DIR and runs each
# for SECONDS on a copy of its seeds (fuzz/corpus/<name>/), so the repository is never changed; JOBS
# targets run side by side (1 by default). Exits non-zero when any fuzzer fails; the input that made it
# fail is kept in BUILD_DIR/fuzz-findings/. Each target's line gives its executions per second of CPU
# time, which holds whatever else the machine is doing.
set -euo pipefail
usage="usage: scripts/run-fuzzers.sh BUILD_DIR SECONDS [JOBS]"
dir=${1:?$usage}
seconds=${2:?$usage}
jobs=${3:-1}
cd "$(dirname "$0")/.."
scripts/install-deps.sh
fuzzers=(fuzz_device_response fuzz_settings_file fuzz_ini_document fuzz_sim_request fuzz_mode_list fuzz_app_config
    fuzz_replay_log)

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

# Runs one target; its summary goes to $work/<name>/summary, its status is the fuzzer's.
run_one() {
    local name=$1 status=0
    mkdir -p "$work/$name/corpus" "$work/$name/tmp"
    cp -R "fuzz/corpus/$name/." "$work/$name/corpus/"
    local TIMEFORMAT='%U %S'
    # -timeout: an input that takes this long counts as a hang, which is a failure too.
    { time TMPDIR="$work/$name/tmp" "$dir/fuzz/$name" -max_total_time="$seconds" -timeout=30 \
        -artifact_prefix="$findings/$name-" -print_final_stats=1 "$work/$name/corpus" \
        >"$work/$name/log" 2>&1; } 2>"$work/$name/cpu" || status=$?
    local runs cpu
    runs=$(awk '/^stat::number_of_executed_units/ {print $2}' "$work/$name/log")
    cpu=$(awk '{print $1 + $2}' "$work/$name/cpu")
    awk -v n="$name" -v r="${runs:-0}" -v c="$cpu" -v s="$seconds" 'BEGIN {
        printf "%-22s %9d runs in %d s, %7.0f per CPU second\n", n, r, s, (c > 0 ? r / c : 0) }' \
        >"$work/$name/summary"
    return "$status"
}

failed=()
pending=("${fuzzers[@]}")
declare -A pid_of=()
echo "fuzzers: ${#fuzzers[@]} targets, ${seconds} s each, ${jobs} at a time"
while [ ${#pending[@]} -gt 0 ] || [ ${#pid_of[@]} -gt 0 ]; do
    while [ ${#pending[@]} -gt 0 ] && [ ${#pid_of[@]} -lt "$jobs" ]; do
        run_one "${pending[0]}" &
        pid_of[${pending[0]}]=$!
        pending=("${pending[@]:1}")
    done
    wait -n || true
    for name in "${!pid_of[@]}"; do
        kill -0 "${pid_of[$name]}" 2>/dev/null && continue
        if wait "${pid_of[$name]}"; then
            cat "$work/$name/summary"
        else
            cp "$work/$name/log" "$findings/$name.log"
            tail -n 60 "$work/$name/log"
            failed+=("$name")
        fi
        unset "pid_of[$name]"
    done
done
echo "fuzzers: $((${#fuzzers[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
if [ ${#failed[@]} -gt 0 ]; then
    echo "Failed: ${failed[*]} (inputs and logs in $findings)" >&2
    exit 1
fi
