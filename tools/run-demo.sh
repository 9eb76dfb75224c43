#!/usr/bin/env bash
# Builds the course, makes the demo content once (again only when the generator or its data
# changed) and starts the course on it. Extra arguments go to the program,
# e.g. `tools/run-demo.sh --headless --script=walk.txt`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARLORA_BUILD_BENCH=OFF \
      -DPARLORA_BUILD_TESTS=OFF
cmake --build "$root/build" --target parlora parlora-content parlora-get-help
"$root/build/tools/parlora-content" demo --if-changed "$root/build/demo"
export PARLORA_HOME="$root/build/demo/parlora"
exec "$root/build/shell/parlora" "$@"
