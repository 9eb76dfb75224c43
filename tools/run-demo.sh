#!/usr/bin/env bash
# Builds the course and starts it on the demo content. Extra arguments go to the program,
# e.g. `tools/run-demo.sh --headless --script=walk.txt`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARLORA_BUILD_BENCH=OFF
cmake --build "$root/build" --target parlora
demo="$root/build/demo/parlora"
[ -d "$demo/data" ] || bash "$root/tools/make-minimal-data.sh" "$demo"
export PARLORA_HOME="$demo"
exec "$root/build/shell/parlora" "$@"
