#!/usr/bin/env bash
# Installs, builds and runs every test: the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the threading tests under ThreadSanitizer, then a short
# run of every fuzz target (scripts/fuzz.sh 10), built with clang.
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

# The MIDI integration tests need a JACK server: the dummy driver needs neither a sound
# card nor real-time rights. Synchronous mode makes a cycle wait for a client that is
# late (a loaded machine, sanitizers) instead of dropping its MIDI. A server name of its
# own keeps parallel runs apart; the tests (and the simulated controller they start) find
# it through JACK_DEFAULT_SERVER. There is no ALSA sequencer on build machines, so MIDI
# goes through JACK.
start_jack() {
    export JACK_DEFAULT_SERVER="vedidu-test-$$"
    export JACK_NO_AUDIO_RESERVATION=1
    export VEDIDU_MIDI_API=jack
    jack_log="$root/build/jackd.log"
    mkdir -p "$root/build"
    jackd --no-realtime --sync --timeout 2000 -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 1024 >"$jack_log" 2>&1 &
    jack_pid=$!
    trap stop_servers EXIT
    for _ in $(seq 1 100); do
        if jack_lsp >/dev/null 2>&1; then
            return 0
        fi
        if ! kill -0 "$jack_pid" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    echo "test: the JACK server did not start; its log ($jack_log):" >&2
    cat "$jack_log" >&2
    exit 1
}

stop_jack() {
    if [[ -n "${jack_pid:-}" ]] && kill -0 "$jack_pid" 2>/dev/null; then
        kill "$jack_pid" 2>/dev/null || true
        for _ in $(seq 1 50); do
            kill -0 "$jack_pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$jack_pid" 2>/dev/null; then
            kill -9 "$jack_pid" 2>/dev/null || true
        fi
        wait "$jack_pid" 2>/dev/null || true
    fi
    jack_pid=""
}

# The window tests need an X server: Xvfb on a display of its own (-displayfd picks a free
# one, so parallel runs never share it). SDL is told to use it.
start_xvfb() {
    xvfb_log="$root/build/xvfb.log"
    mkdir -p "$root/build"
    local fifo
    fifo="$(mktemp -u "${TMPDIR:-/tmp}/vedidu-xvfb.XXXXXX")"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 3>"$fifo" >"$xvfb_log" 2>&1 &
    xvfb_pid=$!
    trap stop_servers EXIT
    local display=""
    read -r -t 20 display <"$fifo" || true
    rm -f "$fifo"
    if [[ -z "$display" ]] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "test: Xvfb did not start; its log ($xvfb_log):" >&2
        cat "$xvfb_log" >&2
        exit 1
    fi
    export DISPLAY=":$display"
    export SDL_VIDEODRIVER=x11
}

stop_xvfb() {
    if [[ -n "${xvfb_pid:-}" ]] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    xvfb_pid=""
}

stop_servers() {
    stop_jack
    stop_xvfb
}

# Runs ctest in a build folder with the given arguments. A test that talks to the servers
# (label integration) can fail when the JACK server stalls for some seconds on a loaded
# machine: when only such tests failed, the server's log is shown and they run once more, one
# at a time, and the run fails if any of them fails again. Any other failure fails the run.
run_ctest() {
    local dir="$1"
    shift
    if ctest --test-dir "$dir" --output-on-failure -j"$jobs" "$@"; then
        return 0
    fi
    local failed_log="$dir/Testing/Temporary/LastTestsFailed.log"
    [[ -f "$failed_log" ]] || return 1
    local failed integration others
    failed="$(cut -d: -f2- "$failed_log")"
    integration="$(ctest --test-dir "$dir" -N -L integration | sed -n 's/^ *Test *#[0-9]*: //p')"
    others="$(grep -Fxv -f <(printf '%s\n' "$integration") <<<"$failed" || true)"
    if [[ -n "$others" ]]; then
        return 1
    fi
    echo "test: the JACK server's log, last lines ($jack_log):"
    tail -n 40 "$jack_log" || true
    echo "test: only tests that use the servers failed; they run once more, one at a time:"
    sed 's/^/  /' <<<"$failed"
    ctest --test-dir "$dir" --output-on-failure --rerun-failed
}

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
# Leaks inside the window system's and drawing libraries are theirs (see the file).
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The OpenGL window tests draw with Mesa's software rasteriser, whatever the machine has.
export LIBGL_ALWAYS_SOFTWARE=1
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

start_jack
start_xvfb

echo "== AddressSanitizer + UndefinedBehaviorSanitizer: all tests"
configure build/asan address
cmake --build build/asan -j"$jobs"
run_ctest build/asan "$@"

echo "== ThreadSanitizer: tests labelled threads"
configure build/tsan thread
cmake --build build/tsan --target vedidu_threads_tests -j"$jobs"
listed="$(ctest --test-dir build/tsan -N -L threads)"
if [[ "$(sed -n 's/^Total Tests: *//p' <<<"$listed")" == "0" ]]; then
    echo "No test carries the label threads yet: skipping the ThreadSanitizer run."
else
    run_ctest build/tsan -L threads "$@"
fi

# The fuzz targets need no JACK server.
stop_jack

echo "== Fuzz targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer): 10 s each"
bash scripts/fuzz.sh 10
