#!/usr/bin/env bash
# Starts the real SDL course under a private Xvfb, as a learner would see it, and measures over
# RUNS runs: ms from the process start to a visible window, ms to the first screen drawn (the
# screen's picture stops changing), and VmHWM after SETTLE seconds on the first screen. Prints
# median, minimum and maximum of each, as a Markdown table.
# usage: bench/window-start.sh PARLORA_BINARY DEMO_HOME [RUNS=7] [SETTLE=20]
set -euo pipefail
parlora="$(realpath "$1")" demo="$(realpath "$2")"
runs="${3:-7}" settle="${4:-20}"
for tool in Xvfb xwininfo xwd md5sum; do
    command -v "$tool" >/dev/null || { echo "window-start: $tool is missing (tools/setup-deps.sh)" >&2; exit 1; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/parlora-window.XXXXXX")"
xvfb_pid=""
cleanup() {
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A free display number of our own.
display=""
for n in $(seq 90 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    display=":$n"
    break
done
[[ -n "$display" ]] || { echo "window-start: no free X display" >&2; exit 1; }
# -noreset: by default the server resets when its last client leaves, and a course started during
# the reset finds no display.
Xvfb "$display" -noreset -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    DISPLAY="$display" xwininfo -root >/dev/null 2>&1 && break
    sleep 0.05
done
export DISPLAY="$display" SDL_VIDEODRIVER=x11

now_ms() { echo $(($(date +%s%N) / 1000000)); }
screen_hash() { xwd -root -silent 2>/dev/null | md5sum | cut -c1-32; }
blank="$(screen_hash)"

results="$work/results"
: >"$results"
for run in $(seq "$runs"); do
    home="$work/run$run"
    mkdir -p "$home/run" "$home/data" "$home/config"
    chmod 700 "$home/run"
    start=$(now_ms)
    HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" \
        PARLORA_HOME="$demo" "$parlora" >"$home/out.log" 2>&1 &
    pid=$!
    visible="" last_hash="$blank" last_change=""
    deadline=$((start + 10000))
    while (($(now_ms) < deadline)); do
        if [[ -z "$visible" ]] && xwininfo -name "Parlora Plus!" 2>/dev/null | grep -q IsViewable; then
            visible=$(($(now_ms) - start))
        fi
        if [[ -n "$visible" ]]; then
            h="$(screen_hash)"
            t=$(($(now_ms) - start))
            if [[ "$h" != "$last_hash" ]]; then
                last_hash="$h"
                last_change=$t
            elif [[ "$h" != "$blank" ]] && ((t - last_change > 1500)); then
                break # a second and a half without change: the first screen is drawn
            fi
        fi
    done
    remaining=$((settle * 1000 - ($(now_ms) - start)))
    ((remaining > 0)) && sleep "$(awk "BEGIN{print $remaining/1000}")"
    hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    # A run that never showed its window is reported, not counted.
    [[ -n "$visible" ]] && echo "$visible ${last_change:-0} $((hwm / 1024))" >>"$results"
    echo "run $run: window ${visible:-?} ms, first screen ${last_change:-?} ms, VmHWM $((hwm / 1024)) MB" >&2
    if [[ -s "$home/out.log" ]]; then
        echo "run $run printed on stderr:" >&2
        sed 's/^/  /' "$home/out.log" >&2
    fi
done

python3 - "$results" <<'PY'
import statistics, sys
rows = [list(map(int, l.split())) for l in open(sys.argv[1]) if l.strip()]
if not rows:
    sys.exit("window-start: no run showed its window")
names = ["window visible (ms)", "first screen drawn (ms)", "VmHWM on the first screen (MB)"]
print(f"| figure ({len(rows)} runs) | median | min | max |")
print("|---|---|---|---|")
for i, name in enumerate(names):
    v = [r[i] for r in rows]
    print(f"| {name} | {statistics.median(v):g} | {min(v)} | {max(v)} |")
PY
