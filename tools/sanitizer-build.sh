# Sourced by tools/fuzz.sh and tools/run-sanitizers.sh: the one clang build folder with
# AddressSanitizer and UndefinedBehaviorSanitizer for both the unit tests and the fuzz targets,
# and the sanitizer settings every run in it uses.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
fuzz_build="${PARLORA_FUZZ_BUILD:-$root/build-fuzz}"

configure_sanitizer_build() {
    CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz_build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
        -DPARLORA_SANITIZE=ON -DPARLORA_BUILD_FUZZ=ON -DPARLORA_BUILD_BENCH=OFF >/dev/null
}

# Every report stops the program with a non-zero status; leaks are checked at exit. Only the
# third-party leaks listed (with reasons) in fuzz/lsan.supp are let through.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0"
if command -v llvm-symbolizer >/dev/null; then
    export ASAN_SYMBOLIZER_PATH="$(command -v llvm-symbolizer)"
fi
