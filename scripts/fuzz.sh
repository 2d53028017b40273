#!/usr/bin/env bash
# Builds the libFuzzer targets in tests/fuzz with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each one for the given number of seconds (default
# 60) over its seed corpus, a few at a time. A finding stops the run: the script prints the
# target's report and the path of the input that caused it, and exits non-zero.
#
#   scripts/fuzz.sh [seconds]
#
# Builds go to build/fuzz. What the fuzzers learn is kept in build/fuzz/corpus/<target>
# (the seeds in tests/fuzz/corpus/ are only read); findings go to build/fuzz/findings/.
# A target with a dictionary (tests/fuzz/<target>.dict) is given it.
# FUZZ_JOBS sets how many targets run at once (default: half the cores, at most 4).
set -euo pipefail

seconds="${1:-60}"
if [[ ! "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: scripts/fuzz.sh [seconds]" >&2
    exit 2
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# clang and llvm (the symbolizer) come with the project's packages.
bash scripts/install-deps.sh

build=build/fuzz
generator=()
# An existing build folder keeps the generator it was made with.
if [[ ! -f "$build/CMakeCache.txt" ]] && command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi
CC=clang CXX=clang++ cmake -S . -B "$build" "${generator[@]}" \
    -DCMAKE_BUILD_TYPE=Debug -DVEDIDU_SANITIZE=address -DVEDIDU_BUILD_FUZZERS=ON \
    -DVEDIDU_BUILD_BENCH=OFF >/dev/null
# Only the targets and the libraries they link.
cmake --build "$build" --target vedidu_fuzzers -j"${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"

jobs="${FUZZ_JOBS:-$(( $(nproc) / 2 ))}"
(( jobs < 1 )) && jobs=1
(( jobs > 4 && ${FUZZ_JOBS:-0} == 0 )) && jobs=4

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

mkdir -p "$build/findings" "$build/logs"
targets=()
for source in tests/fuzz/*.cpp; do
    targets+=("$(basename "$source" .cpp)")
done

# One target's run; its log holds libFuzzer's report.
run_target() {
    local name="$1"
    local seeds="tests/fuzz/corpus/$name"
    local work="$build/corpus/$name"
    mkdir -p "$work"
    [[ -d "$seeds" ]] || seeds=""
    local dict="tests/fuzz/$name.dict"
    [[ -f "$dict" ]] || dict=""
    "$build/tests/fuzz/fuzz_$name" "$work" ${seeds:+"$seeds"} ${dict:+"-dict=$dict"} \
        -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=60 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$name-" >"$build/logs/$name.log" 2>&1
}

# Reports a target's end; a failed one ends the whole run.
finish() {
    local name="$1" status="$2"
    local log="$build/logs/$name.log"
    if (( status == 0 )); then
        echo "fuzz: $name: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") executions in ${seconds} s, no finding"
        return 0
    fi
    echo "fuzz: $name FAILED (exit $status); its report ($log):" >&2
    tail -n 60 "$log" >&2
    local reproducer
    reproducer="$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)"
    if [[ -n "$reproducer" ]]; then
        echo "fuzz: reproducer: $reproducer (run: $build/tests/fuzz/fuzz_$name $reproducer)" >&2
    fi
    # Stop the targets still running; they are this script's own children.
    for pid in "${!running[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    exit 1
}

# Waits for the next target to end.
wait_one() {
    local pid="" status=0
    wait -n -p pid "${!running[@]}" || status=$?
    local name="${running[$pid]}"
    unset "running[$pid]"
    finish "$name" "$status"
}

declare -A running=()
for name in "${targets[@]}"; do
    while (( ${#running[@]} >= jobs )); do
        wait_one
    done
    run_target "$name" &
    running[$!]="$name"
done
while (( ${#running[@]} > 0 )); do
    wait_one
done
echo "fuzz: ${#targets[@]} targets ran ${seconds} s each without a finding"
