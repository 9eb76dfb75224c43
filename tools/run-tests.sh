#!/usr/bin/env bash
# Builds everything and runs every test; exits non-zero on any failure.
# The real-audio tests get a private PulseAudio server whose null sink's monitor is the default
# source (what is played is recorded back); without it they skip, so a server that will not start
# is reported but does not fail the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup-deps.sh"
build="${PARLORA_TEST_BUILD:-$root/build-test}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build"

pulse_pid=""
pulse_dir=""
pulse_tmp=""
stop_pulse() {
    if [[ -n "$pulse_pid" ]]; then
        kill "$pulse_pid" 2>/dev/null || true
        wait "$pulse_pid" 2>/dev/null || true
        pulse_pid=""
    fi
    if [[ -n "$pulse_tmp" ]]; then
        rm -rf "$pulse_tmp"
        pulse_tmp=""
    elif [[ -n "$pulse_dir" ]]; then
        rm -f "$pulse_dir/pulse-native"
    fi
}
trap stop_pulse EXIT

start_pulse() {
    if ! command -v pulseaudio >/dev/null || ! command -v pactl >/dev/null; then
        echo "run-tests: pulseaudio not installed; the real-audio tests will skip" >&2
        return 0
    fi
    # A private runtime folder (and HOME, for the cookie the server writes, also as root) in the
    # build tree; a unix socket path must stay under 108 bytes, so long trees use /tmp instead.
    pulse_dir="$build/pulse-run"
    if ((${#pulse_dir} > 90)); then
        pulse_dir="$(mktemp -d /tmp/parlora-pulse.XXXXXX)"
        pulse_tmp="$pulse_dir"
    fi
    mkdir -p "$pulse_dir"
    chmod 700 "$pulse_dir"
    rm -f "$pulse_dir/pulse-native"
    local server="unix:$pulse_dir/pulse-native"
    XDG_RUNTIME_DIR="$pulse_dir" HOME="$pulse_dir" \
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        -L "module-native-protocol-unix socket=$pulse_dir/pulse-native auth-anonymous=1" \
        -L "module-null-sink sink_name=nullsink rate=44100" \
        >"$pulse_dir/pulseaudio.log" 2>&1 &
    pulse_pid=$!
    local ready=""
    for _ in $(seq 50); do
        if ! kill -0 "$pulse_pid" 2>/dev/null; then break; fi
        if HOME="$pulse_dir" PULSE_SERVER="$server" pactl info >/dev/null 2>&1; then
            ready=1
            break
        fi
        sleep 0.1
    done
    if [[ -z "$ready" ]] ||
        ! HOME="$pulse_dir" PULSE_SERVER="$server" pactl set-default-sink nullsink ||
        ! HOME="$pulse_dir" PULSE_SERVER="$server" pactl set-default-source nullsink.monitor; then
        echo "run-tests: private PulseAudio server did not start (see $pulse_dir/pulseaudio.log);" \
            "the real-audio tests will skip" >&2
        stop_pulse
        return 0
    fi
    export PULSE_SERVER="$server"
}

unset PULSE_SERVER
start_pulse

cd "$build"
set +e
ctest --output-on-failure -j2 --timeout 300
rc=$?
set -e
stop_pulse
exit "$rc"
