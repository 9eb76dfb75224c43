#!/usr/bin/env bash
# Content chaos: breaks required content files one at a time and walks the screens that read them.
#
#   bash tools/content-chaos.sh [COUNT]        # COUNT files (200 unless given)
#
# The walk is the gallery's (tools/gallery.sh writes its scripts; the pictures and screen checks are
# left out, so each script runs to its end whatever screen a broken file leaves it on). A first pass
# runs every script under strace on intact content to learn which files it opens; then COUNT of the
# opened files that the manifest marks required (levels F, E, W, P), taken in turn from every script,
# are each removed (every second one) or cut to half their length, and the first script that opens
# the file is run again from the home folder it started with. Every run must end by itself within
# CHAOS_TIMEOUT seconds (120) with the course's own exit code (0 or 1: no crash, no sanitizer
# report, no hang) and keep every records section its home held before. The run also counts the
# runs in which the course showed a message; those without one are listed for review.
#
# CHAOS_BUILD names the build folder (build-test unless set; configured here when new); the content
# is its demo; CHAOS_NO_BUILD=1 takes its programs as they are. Two runs go at a time, each on a
# private linked copy of the course. The table of every run is kept in CHAOS_REPORT (build
# folder/content-chaos.tsv unless set).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${CHAOS_BUILD:-$root/build-test}"
count="${1:-200}"
timeout_s="${CHAOS_TIMEOUT:-120}"
[[ "$count" =~ ^[0-9]+$ ]] || { echo "usage: $0 [COUNT]" >&2; exit 2; }
command -v strace >/dev/null ||
    { echo "content-chaos: strace is missing (bash tools/setup-deps.sh installs it)" >&2; exit 1; }
# Some containers forbid tracing; then nothing here can be learnt (77: a skip for CTest).
if ! strace -f -qq -e trace=openat -o /dev/null true 2>/dev/null; then
    echo "content-chaos: skipped: strace cannot trace programs here (ptrace not permitted)" >&2
    exit 77
fi

# CHAOS_NO_BUILD=1: the programs are built already (a test of that build folder runs this).
if [[ "${CHAOS_NO_BUILD:-}" != 1 ]]; then
    [[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build" --target parlora parlora-content >/dev/null
fi
bin="$build/shell/parlora"
content="$build/tools/parlora-content"
report="${CHAOS_REPORT:-$build/content-chaos.tsv}"

work="$(mktemp -d "${TMPDIR:-/tmp}/parlora-chaos.XXXXXX")"
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
mkdir -p "$work/scripts" "$work/walk" "$work/homes" "$work/snap" "$work/trace" "$work/runs"

GALLERY_SCRIPTS_ONLY="$work/scripts" GALLERY_BUILD="$build" PARLORA_BIN="$bin" PARLORA_CONTENT="$content" \
    bash "$root/tools/gallery.sh" >/dev/null
demo="$build/demo/parlora"

# A course of hard links per worker: a broken file is a new file in its place, never a write
# through the link into the demo.
cp -al "$demo" "$work/course0"
cp -al "$demo" "$work/course1"

# course HOME COURSE SCRIPT: runs the course headless with its own user folders.
course() {
    local home="$1"
    mkdir -p "$home/run"
    chmod 700 "$home/run"
    env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run" \
        XDG_CACHE_HOME="$home/cache" PARLORA_HOME="$2" "${@:4}" "$bin" --headless --script="$3"
}

# ---- which script opens which file ----
# Scripts that share a home run in order on one worker; the homes are shared out between two.
discover() {
    local w="$1" name home
    while IFS=$'\t' read -r name home; do
        (($(awk -v h="$home" '!seen[$2]++ { if ($2 == h) print (NR - 1); }' FS='\t' \
            "$work/scripts/runs.txt" | head -1) % 2 == w)) || continue
        grep -v -e '^shot ' -e '^expect-screen ' "$work/scripts/$name.txt" >"$work/walk/$name.txt"
        mkdir -p "$work/homes/$home"
        cp -a "$work/homes/$home" "$work/snap/$name"
        (cd "$work/runs" &&
            course "$work/homes/$home" "$work/course$w" "$work/walk/$name.txt" \
                strace -f -qq -e trace=open,openat -o "$work/trace/$name.txt") >/dev/null 2>&1 || true
        sed -i "s#$work/course$w/#$work/course0/#g" "$work/trace/$name.txt"
    done <"$work/scripts/runs.txt"
}
discover 0 &
pid0=$!
discover 1 &
pid1=$!
wait "$pid0" "$pid1"

"$content" list "$work/course0/data" | awk -F'\t' '$1 != "O"' >"$work/required.tsv"
# The first script that opens each required file, and the files of each script in a fixed shuffle.
python3 - "$work" "$count" <<'EOF'
import os, random, re, sys
work, count = sys.argv[1], int(sys.argv[2])
course = os.path.join(work, "course0") + "/"
required = {}
for line in open(os.path.join(work, "required.tsv")):
    level, kind, path = line.rstrip("\n").split("\t")
    required[path] = level
opened = re.compile(r'open(?:at)?\((?:AT_FDCWD, )?"([^"]+)".*\) = \d+')
owner, per_script = {}, []
for line in open(os.path.join(work, "scripts", "runs.txt")):
    name = line.split("\t")[0]
    mine = []
    for t in open(os.path.join(work, "trace", name + ".txt"), errors="replace"):
        m = opened.search(t)
        if not m:
            continue
        path = os.path.normpath(m.group(1))
        if path in required and path not in owner:
            owner[path] = name
            mine.append(path)
    random.Random(name).shuffle(mine)
    per_script.append((name, mine))
chosen = []
while len(chosen) < count and any(files for _, files in per_script):
    for name, files in per_script:
        if files and len(chosen) < count:
            chosen.append((name, files.pop()))
with open(os.path.join(work, "sample.tsv"), "w") as out:
    for i, (name, path) in enumerate(chosen):
        mode = "remove" if i % 2 == 0 else "truncate"
        out.write(f"{i}\t{mode}\t{required[path]}\t{name}\t{path[len(course):]}\n")
print(f"content-chaos: {len(owner)} required files opened by the walk, {len(chosen)} chosen")
EOF

# Records sections of every profile under a home, one "file<tab>[section]" a line.
sections() {
    (cd "$1" && find . -name '*.ini' -type f -print0 | sort -z |
        xargs -0 -r grep -H -o '^\[[^]]*\]' | tr -d '\r') || true
}

# worker N: runs every Nth line of the sample on course N.
worker() {
    local w="$1" i mode level name rel status file run_dir
    while IFS=$'\t' read -r i mode level name rel; do
        (((i % 2) == w)) || continue
        file="$work/course$w/$rel"
        run_dir="$work/runs/$i"
        mkdir -p "$run_dir"
        cp -a "$work/snap/$name" "$run_dir/home"
        sections "$run_dir/home" >"$run_dir/before"
        if [[ "$mode" == remove ]]; then
            rm -f "$file"
        else
            rm -f "$file"
            head -c "$(($(stat -c %s "$demo/$rel") / 2))" "$demo/$rel" >"$file"
        fi
        status=0
        (cd "$run_dir" && course "$run_dir/home" "$work/course$w" "$work/walk/$name.txt" \
            timeout -k 5 "$timeout_s") >/dev/null 2>"$run_dir/err" || status=$?
        rm -f "$file"
        ln "$demo/$rel" "$file"
        sections "$run_dir/home" >"$run_dir/after"
        local verdict=ok message=no lost=0
        if grep -q '^Parlora: ' "$run_dir/err"; then message=yes; fi
        lost="$(comm -23 <(sort "$run_dir/before") <(sort "$run_dir/after") | wc -l)"
        if ((status == 124 || status == 137)); then
            verdict=hang
        elif ((status > 1)) || grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$run_dir/err"; then
            verdict="crash (exit $status)"
        elif ((lost > 0)); then
            verdict="records lost ($lost sections)"
        fi
        printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$i" "$mode" "$level" "$name" "$rel" "$status" "$message" \
            "$verdict" >>"$work/results.$w"
        if [[ "$verdict" != ok ]]; then
            { echo "content-chaos: $mode $rel ($name): $verdict"; sed 's/^/    /' "$run_dir/err" | tail -20; } >&2
        fi
        rm -rf "$run_dir"
    done <"$work/sample.tsv"
}
started=$SECONDS
worker 0 &
pid0=$!
worker 1 &
pid1=$!
wait "$pid0" "$pid1"

printf 'run\tmode\tlevel\tscript\tfile\texit\tmessage\tverdict\n' >"$report"
cat "$work"/results.* | sort -n >>"$report"
tried="$(($(wc -l <"$report") - 1))"
messages="$(awk -F'\t' 'NR > 1 && $7 == "yes"' "$report" | wc -l)"
crashes="$(awk -F'\t' 'NR > 1 && $8 ~ /^crash/' "$report" | wc -l)"
hangs="$(awk -F'\t' 'NR > 1 && $8 == "hang"' "$report" | wc -l)"
lost="$(awk -F'\t' 'NR > 1 && $8 ~ /^records lost/' "$report" | wc -l)"
echo "content-chaos: $tried files tried ($(cut -f2 "$report" | grep -c '^remove') removed," \
    "$(cut -f2 "$report" | grep -c '^truncate') cut in half), messages shown in $messages runs," \
    "$crashes crashes, $hangs hangs, $lost runs losing records, $((SECONDS - started)) s; table in $report"
if ((messages < tried)); then
    echo "content-chaos: runs without a message:"
    awk -F'\t' 'NR > 1 && $7 == "no" { printf "  %s %s (%s, level %s)\n", $2, $5, $4, $3 }' "$report"
fi
((tried >= count && crashes == 0 && hangs == 0 && lost == 0))
