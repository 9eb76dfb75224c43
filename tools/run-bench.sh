#!/usr/bin/env bash
# Builds the benchmarks in Release, makes the demo content, runs every benchmark and writes the
# table of figures, budgets and verdicts into docs/performance.md (between its two markers).
# usage: tools/run-bench.sh [BUILD_DIR]    (default build-bench)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
bash "$root/tools/setup-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPARLORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target parlora parlora-content startup_bench display_bench course_bench
"$build/tools/parlora-content" demo --if-changed "$build/demo"
out="$build/bench-results"; mkdir -p "$out"
json() { "$build/bench/$1" --benchmark_format=json --benchmark_filter="$2" > "$out/$3.json"; }
json startup_bench . startup
json display_bench 'Transition' transitions
json course_bench 'ScreenChange' screens
json course_bench 'WordClick' click
json course_bench 'WholeHardGame' hardgames
json course_bench 'PeakMemory' memory   # a process of its own: the peak is this session's

python3 - "$out" "$root/docs/performance.md" <<'PY'
import json, sys, platform, os, re, statistics, subprocess
out, doc = sys.argv[1], sys.argv[2]
def load(n): return json.load(open(f"{out}/{n}.json"))["benchmarks"]
def ms(b):
    t = b["real_time"]; u = b["time_unit"]
    return t * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[u]
rows = []
def row(figure, budget, value, ok, unit="ms"):
    rows.append(f"| {figure} | {budget} | {value:.1f} {unit} | {'within' if ok else 'OVER'} |")
start = load("startup")[0]; row("process start to first screen (headless, demo data)", "under 150 ms", ms(start), ms(start) < 150)
screens = [b for b in load("screens") if "(cold)" not in b.get("label", "")]
cold = [b for b in load("screens") if "(cold)" in b.get("label", "")]
times = {b["label"] + f" (code {b['name'].split('/')[1]})": ms(b) for b in screens}
heavy = max(times, key=times.get); med = statistics.median(times.values())
row(f"screen change, heaviest: {heavy}", "under 50 ms", times[heavy], times[heavy] < 50)
row(f"screen change, median of {len(times)} screens", "under 25 ms", med, med < 25)
for b in cold: row(f"screen change, {b['label']} with nothing decoded yet", "under 16 ms", ms(b), ms(b) < 16)
trans = load("transitions"); worst = max(trans, key=ms)
row(f"transition frame, slowest kind ({worst['name']})", "under 4 ms", ms(worst), ms(worst) < 4)
c = load("click")[0]
row("click on a word to its first sample, median", "under 30 ms", c["median_ms"], c["median_ms"] < 30)
row("click on a word to its first sample, 95th percentile", "under 50 ms", c["p95_ms"], c["p95_ms"] < 50)
hard = load("hardgames"); slow = max(hard, key=ms)
row(f"whole hard game headless, slowest: {slow.get('label', '')} (code {slow['name'].split('/')[1]})", "under 1000 ms", ms(slow), ms(slow) < 1000)
m = load("memory")[0]
row("peak resident memory, every screen visited twice", "under 80 MB", m["peak_rss_MB"], m["peak_rss_MB"] < 80, "MB")
cpu = next((l.split(":",1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), "?")
machine = f"{platform.node()}: {os.cpu_count()} cores, {cpu}, {platform.platform()}"
lines = "\n".join(["| Figure | Budget | Measured | Verdict |", "|---|---|---|---|"] + rows)
per = "\n".join(f"| {k} | {v:.1f} ms |" for k, v in sorted(times.items(), key=lambda kv: -kv[1]))
block = (f"<!-- bench table begin -->\nMeasured by `tools/run-bench.sh` (Release build, demo content) on {machine}.\n\n"
         f"{lines}\n\nScreen changes, request to first frame, transitions off, pictures decoded once before:\n\n"
         f"| Screen | Time |\n|---|---|\n{per}\n<!-- bench table end -->")
text = open(doc).read()
if "<!-- bench table begin -->" in text:
    text = re.sub(r"<!-- bench table begin -->.*<!-- bench table end -->", lambda _: block, text, flags=re.S)
else:
    text += "\n## The course's budget\n\n" + block + "\n"
open(doc, "w").write(text)
print(lines)
PY
