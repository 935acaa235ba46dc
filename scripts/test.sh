#!/usr/bin/env bash
# Installs what is needed, builds everything with warnings as errors, runs every
# test, runs them again under the sanitizers, and fuzzes the file readers briefly.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build-test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOTOBARU_WERROR=ON
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer, then short fuzz runs.
"$root/scripts/sanitize.sh"
FUZZ_SECONDS=${FUZZ_SECONDS:-15} "$root/scripts/fuzz.sh"
