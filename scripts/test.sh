#!/usr/bin/env bash
# Installs, builds and runs every test: the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the threading tests under ThreadSanitizer.
# Extra arguments go to ctest (for example: -R RefCountedObject).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh

jobs="$(nproc)"

configure() {
    local dir="$1" sanitizer="$2"
    local generator=()
    # An existing build folder keeps the generator it was made with.
    if [[ ! -f "$dir/CMakeCache.txt" ]] && command -v ninja >/dev/null 2>&1; then
        generator=(-G Ninja)
    fi
    cmake -S . -B "$dir" "${generator[@]}" \
        -DCMAKE_BUILD_TYPE=Debug -DVEDIDU_SANITIZE="$sanitizer"
}

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer: all tests"
configure build/asan address
cmake --build build/asan -j"$jobs"
ctest --test-dir build/asan --output-on-failure -j"$jobs" "$@"

echo "== ThreadSanitizer: tests labelled threads"
configure build/tsan thread
cmake --build build/tsan --target vedidu_threads_tests -j"$jobs"
listed="$(ctest --test-dir build/tsan -N -L threads)"
if [[ "$(sed -n 's/^Total Tests: *//p' <<<"$listed")" == "0" ]]; then
    echo "No test carries the label threads yet: skipping the ThreadSanitizer run."
    exit 0
fi
ctest --test-dir build/tsan --output-on-failure -j"$jobs" -L threads "$@"
