#!/usr/bin/env bash
# The sanitizer stage of CI, after tools/run-tests.sh: builds the unit tests and the fuzz targets
# with clang, AddressSanitizer and UndefinedBehaviorSanitizer into build-fuzz/, runs the tests with
# CTest, then every fuzz target for PARLORA_FUZZ_SECONDS seconds each (12 unless set).
# Exits non-zero on any failure or sanitizer report.
set -euo pipefail
source "$(dirname "$0")/sanitizer-build.sh"
seconds="${PARLORA_FUZZ_SECONDS:-12}"

bash "$root/tools/setup-deps.sh"
configure_sanitizer_build
start=$SECONDS
ninja -C "$fuzz_build" -j2
echo "sanitizers: build took $((SECONDS - start)) s"

# Left out under the sanitizers, each for a reason of its own:
# - WholeGameHeadlessTakesUnderASecond, WarmLookupsAreFast: timing budgets for optimised code;
# - RealAudioLoopback: needs the private PulseAudio server of run-tests.sh and real time;
# - KilledWriterNeverLeavesABrokenFile: kills its writer 5 to 45 ms in, often before a sanitized
#   writer has stored its first score (the kill itself is tested in the normal build);
# - sdl_under_xvfb, xvfb_sdl_scaled_window: the whole program under X and SDL, whose libraries are
#   not instrumented; the same screens run headless in the walk and startup tests here, and the
#   scaler's own tests run here;
# - content_chaos_200: two hundred whole walks of the course, minutes each when sanitized; the
#   readers it breaks are fuzzed below, and the walk itself runs sanitized in the walk tests;
# - install_prefix_start, install_files_validate: the install layout and its files, which the
#   normal build checks; nothing in them is memory-safety code of ours.
skip='WholeGameHeadlessTakesUnderASecond|WarmLookupsAreFast|RealAudioLoopback|KilledWriterNeverLeavesABrokenFile|sdl_under_xvfb|xvfb_sdl_scaled_window|content_chaos_200|install_prefix_start|install_files_validate'

start=$SECONDS
unset PULSE_SERVER
# Both halves run even when the first fails, so that one CI run reports everything.
tests_rc=0
(cd "$fuzz_build" && ctest --output-on-failure -j2 --timeout 300 -E "$skip") || tests_rc=$?
echo "sanitizers: unit tests took $((SECONDS - start)) s"

start=$SECONDS
fuzz_rc=0
# Two targets at a time, one a core.
PARLORA_FUZZ_NO_SETUP=1 PARLORA_FUZZ_JOBS="${PARLORA_FUZZ_JOBS:-2}" bash "$root/tools/fuzz.sh" all "$seconds" || fuzz_rc=$?
echo "sanitizers: fuzzing took $((SECONDS - start)) s"
if [[ $tests_rc -ne 0 || $fuzz_rc -ne 0 ]]; then
    echo "sanitizers: FAILED (tests exit $tests_rc, fuzzing exit $fuzz_rc)" >&2
    exit 1
fi
