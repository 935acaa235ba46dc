#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, warnings
# as errors, and runs the whole test suite. Any sanitizer report fails the run.
#
#   scripts/sanitize.sh [ctest arguments...]     e.g. scripts/sanitize.sh -R test_play
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${SANITIZE_BUILD_DIR:-$root/build-sanitize}

cmake -S "$root" --preset sanitize -B "$build" >/dev/null
cmake --build "$build" -j2

# UBSan already aborts (-fno-sanitize-recover); these make every ASan and LSan
# report fatal too. Leaks inside the system's libraries (fontconfig, Qt's
# platform plugin) are suppressed by name; a leak with our code on its stack is not.
# The sanitize test preset sets the same, so `ctest --preset sanitize` agrees.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:detect_invalid_pointer_pairs=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:${UBSAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer.supp:print_suppressions=0:${LSAN_OPTIONS:-}"
ctest --test-dir "$build" --output-on-failure -j2 "$@"
