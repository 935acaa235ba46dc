#!/usr/bin/env bash
# Builds KOTOBARU and starts it in play/, seeded from data/ without ever
# overwriting a file already there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" --preset play >/dev/null
# A build preset is read from the working directory.
(cd "$root" && cmake --build --preset play)
mkdir -p "$root/build/defaults"
cp "$root"/data/* "$root/build/defaults/"
[ -f "$root/build/KbHelp.chm" ] && cp "$root/build/KbHelp.chm" "$root/build/defaults/"
KOTOBARU_DATA_DIR="$root/play" KOTOBARU_DEFAULTS="$root/build/defaults" \
    KOTOBARU_PROGRAM="$root/build/app/kotobaru" exec sh "$root/packaging/kotobaru.in"
