#!/usr/bin/env bash
# Builds (into build-fuzz/) and runs one fuzz target, or all of them, for SECONDS each:
#     tools/fuzz.sh TARGET SECONDS      e.g. tools/fuzz.sh FuzzProfileFile 60
#     tools/fuzz.sh all SECONDS
#     tools/fuzz.sh FuzzWav,FuzzAiff SECONDS      (several, separated by commas)
# PARLORA_FUZZ_JOBS=N runs N targets at a time (one core each).
# Each run starts from the target's seeds in fuzz/corpus/<target>/ (and any kept crashes in
# fuzz/regressions/<target>/); new inputs go to build-fuzz/fuzz-work/<target>/, never to the repo.
# Exits non-zero on any crash, leak, timeout or sanitizer report; the input that caused it is kept
# in build-fuzz/fuzz-artifacts/<target>/. A summary line per target goes to build-fuzz/fuzz-summary.txt.
set -euo pipefail
if [[ $# -ne 2 || ! "$2" =~ ^[0-9]+$ ]]; then
    echo "usage: $0 TARGET[,TARGET...]|all SECONDS" >&2
    exit 2
fi
source "$(dirname "$0")/sanitizer-build.sh"
which="$1"
seconds="$2"

targets=()
for src in "$root"/fuzz/Fuzz*.cpp; do
    name="$(basename "$src" .cpp)"
    if [[ "$which" == all || ",$which," == *",$name,"* ]]; then targets+=("$name"); fi
done
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "fuzz: no target $which (see fuzz/Fuzz*.cpp)" >&2
    exit 2
fi

if [[ "${PARLORA_FUZZ_NO_SETUP:-}" != 1 ]]; then bash "$root/tools/setup-deps.sh"; fi
configure_sanitizer_build
if ! ninja -C "$fuzz_build" -j2 "${targets[@]}" >"$fuzz_build/fuzz-build.log" 2>&1; then
    tail -40 "$fuzz_build/fuzz-build.log" >&2
    echo "fuzz: the build failed (log $fuzz_build/fuzz-build.log)" >&2
    exit 1
fi

summary="$fuzz_build/fuzz-summary.txt"
: >"$summary"

# Runs one target; its summary line goes to the summary file, its status is the exit code.
fuzz_target() {
    local name="$1"
    local work="$fuzz_build/fuzz-work/$name"
    local artifacts="$fuzz_build/fuzz-artifacts/$name"
    local log="$fuzz_build/fuzz-logs/$name.log"
    mkdir -p "$work" "$artifacts" "$(dirname "$log")"
    local args=(-max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$artifacts/")
    if [[ -f "$root/fuzz/dict/$name.dict" ]]; then args+=(-dict="$root/fuzz/dict/$name.dict"); fi
    local corpora=("$work") dir
    for dir in "$root/fuzz/corpus/$name" "$root/fuzz/regressions/$name"; do
        if [[ -d "$dir" ]]; then corpora+=("$dir"); fi
    done
    echo "fuzz: $name for ${seconds}s"
    # Its own temp folder per run, in memory when the machine has /dev/shm: the readers that take
    # a path get their input there, and a file write in memory does not wait for the disk.
    local tmp_base=/tmp
    if [[ -d /dev/shm && -w /dev/shm ]]; then tmp_base=/dev/shm; fi
    local tmp rc
    tmp="$(mktemp -d "$tmp_base/parlora-fuzz.XXXXXX")"
    set +e
    TMPDIR="$tmp" "$fuzz_build/fuzz/$name" "${args[@]}" "${corpora[@]}" >"$log" 2>&1
    rc=$?
    set -e
    rm -rf "$tmp"
    local execs cov ft corpus_size status=ok
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    ft="$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    corpus_size="$(find "$work" -type f | wc -l)"
    # A sanitizer report that did not stop the run (it should) still fails it.
    if [[ $rc -eq 0 ]] && grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$log"; then rc=1; fi
    if [[ $rc -ne 0 ]]; then
        status="FAILED (exit $rc)"
        grep -E 'ERROR:|runtime error:|SUMMARY:|Test unit written' "$log" | head -8 >&2 || true
        echo "fuzz: $name failed; log $log; input kept in $artifacts/" >&2
    fi
    printf '%s\t%ss\texecs %s\tcov %s\tft %s\tcorpus %s\t%s\n' "$name" "$seconds" "${execs:-?}" "${cov:-?}" \
        "${ft:-?}" "$corpus_size" "$status" | tee -a "$summary"
    [[ $rc -eq 0 ]]
}

# PARLORA_FUZZ_JOBS targets at a time (1 unless set): each is one process on one core.
jobs="${PARLORA_FUZZ_JOBS:-1}"
failed=0
running=0
for name in "${targets[@]}"; do
    if ((running >= jobs)); then
        wait -n || failed=1
        running=$((running - 1))
    fi
    fuzz_target "$name" &
    running=$((running + 1))
done
while ((running > 0)); do
    wait -n || failed=1
    running=$((running - 1))
done
sort -o "$summary" "$summary"
exit "$failed"
