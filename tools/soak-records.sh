#!/usr/bin/env bash
# Kill -9 soak of the records store: a writer stores scores, weights and a counter for one student
# after another and is killed with SIGKILL at a random moment, KILLS times. After every kill the
# records file must still read, hold every student and have every write the writer finished (only
# the write in flight may be lost); the temporary copies a killed writer leaves must be gone after
# the next start.
#
#   bash tools/soak-records.sh [KILLS] [DRIVER]
#
# KILLS defaults to 1000. DRIVER is the records-soak program (built with the tests), by default
# build-rel/tests/reliability/records-soak. Prints the figures; exits 1 when any check failed.
set -euo pipefail

kills=${1:-1000}
here=$(cd "$(dirname "$0")/.." && pwd)
driver=${2:-$here/build-rel/tests/reliability/records-soak}
[[ -x $driver ]] || { echo "no driver at $driver (build the records-soak target)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/parlora-soak.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$driver" setup "$work"

unreadable=0 lost=0 missing=0 leftoversSeen=0 failures=0
start=$(date +%s.%N)
for ((i = 1; i <= kills; i++)); do
    "$driver" write "$work" "$i" &
    pid=$!
    # Anywhere from the start-up to some hundred writes in.
    sleep "$(printf '0.%03d' $((RANDOM % 120)))"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    read -r u l m t < <("$driver" check "$work" || true)
    unreadable=$((unreadable + u)) lost=$((lost + l)) missing=$((missing + m))
    leftoversSeen=$((leftoversSeen + t))
    if ((u + l + m > 0)); then
        failures=$((failures + 1))
        echo "kill $i: unreadable=$u students-lost=$l journalled-writes-lost=$m" >&2
    fi
done
# Each start removes what the kill before it left; one more start clears the last kill's.
"$driver" write "$work" 0 &
pid=$!
sleep 0.2
kill -KILL "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
end=$(date +%s.%N)

starts=$(wc -l <"$work/starts.txt")
removed=$(awk '{s += $1} END {print s + 0}' "$work/starts.txt")
leftAfterStart=$(awk '{s += $2} END {print s + 0}' "$work/starts.txt")
writes=$(wc -l <"$work/journal.txt")
seconds=$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.0f", b - a}')

echo "kills: $kills"
echo "writer rounds finished (each seven file writes of the records file): $writes"
echo "records files unreadable after a kill: $unreadable"
echo "students lost: $lost"
echo "finished writes lost: $missing"
echo "temporary copies left by kills: $leftoversSeen; removed at the next start: $removed; left after a start: $leftAfterStart (of $starts starts)"
echo "time: ${seconds} s"
((failures == 0 && leftAfterStart == 0))
