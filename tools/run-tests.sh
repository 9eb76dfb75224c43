#!/usr/bin/env bash
# Builds everything and runs every test; exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup-deps.sh"
build="${PARLORA_TEST_BUILD:-$root/build-test}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build"
cd "$build"
ctest --output-on-failure -j2 --timeout 300
