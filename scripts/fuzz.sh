#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each for a bounded time.
#
#   scripts/fuzz.sh [SECONDS] [HARNESS...]
#
# SECONDS per harness defaults to $FUZZ_SECONDS, else 30. HARNESS is any of
# item_reader list settings history (all by default). Fails when a harness
# crashes, leaks, hangs or breaks one of its properties; the input that did it
# is kept in build-fuzz/fuzz-work/artifacts/. New corpus entries collect in
# build-fuzz/fuzz-work/corpus/ and are reused by the next run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-${FUZZ_SECONDS:-30}}
if (($# > 0)); then shift; fi
harnesses=("$@")
((${#harnesses[@]} > 0)) || harnesses=(item_reader list settings history)
[[ $seconds =~ ^[0-9]+$ ]] || { echo "fuzz.sh: seconds must be a whole number, not '$seconds'" >&2; exit 2; }

"$root/scripts/setup.sh"
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
cmake -S "$root" --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j2 --target fuzzers

work="$build/fuzz-work"
mkdir -p "$work/artifacts"
# The harnesses write every input to a file; on tmpfs that costs no disk sync.
scratch=$(mktemp -d "$( [[ -d /dev/shm && -w /dev/shm ]] && echo /dev/shm || echo "$work")/kotobaru-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

passed=0
failed=0
for h in "${harnesses[@]}"; do
    exe="$build/fuzz/fuzz_$h"
    [[ -x $exe ]] || { echo "fuzz.sh: no harness '$h'" >&2; exit 2; }
    mkdir -p "$work/corpus/$h"
    log="$work/$h.log"
    rc=0
    TMPDIR="$scratch" "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
        -dict="$root/fuzz/kotobaru.dict" -print_final_stats=1 -artifact_prefix="$work/artifacts/$h-" \
        "$work/corpus/$h" "$root/fuzz/corpus/$h" >"$log" 2>&1 || rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    corpus=$(find "$work/corpus/$h" -type f | wc -l)
    if ((rc == 0)); then
        passed=$((passed + 1))
        echo "fuzz_$h: ${runs:-0} inputs in ${seconds} s, corpus $corpus, no finding"
    else
        failed=$((failed + 1))
        echo "fuzz_$h: FAILED (exit $rc) after ${runs:-?} inputs; log $log"
        grep -E 'property broken|ERROR|SUMMARY|Test unit written|Base64' "$log" | head -20 || tail -20 "$log"
    fi
done
echo "fuzz: $passed passed, $failed failed"
((failed == 0))
