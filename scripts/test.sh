#!/usr/bin/env bash
# Installs what is needed, builds everything with warnings as errors, runs every
# test, runs them again under the sanitizers, and fuzzes the file readers briefly.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
# The build and test presets are read from the working directory.
cd "$root"
cmake --preset default
cmake --build --preset default -j2
ctest --preset default -j2
# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer, then short fuzz runs.
"$root/scripts/sanitize.sh"
FUZZ_SECONDS=${FUZZ_SECONDS:-15} "$root/scripts/fuzz.sh"
