#!/usr/bin/env bash
# Renders the real window under Xvfb in the middle of a round and saves it as
# docs/screenshot.png (or the path given). KB_SCALE=2 renders at twice the size,
# as on a high-density screen.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/screenshot.png}
scale=${KB_SCALE:-1}
"$root/scripts/setup.sh"
cmake -S "$root" --preset play >/dev/null
cmake --build "$root/build" --target kotobaru >/dev/null

work=$(mktemp -d)
trap 'kill "${app:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$root"/data/* "$work/"
printf '"2026/12/05","20:14:03","\x82\x50",12,2,41,25,"85.7%%","0.68/\x95\x62","60\x95\x62"\r\n' >>"$work/履歴.txt"
printf '"2026/12/06","21:40:51","\x82\x51",9,3,52,20,"75.0%%","0.87/\x95\x62","60\x95\x62"\r\n' >>"$work/履歴.txt"

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 $((640 * scale))x$((480 * scale))x24 -dpi 96 >/dev/null 2>&1 &
xvfb=$!
sleep 1
(cd "$work" && DISPLAY=$display QT_SCALE_FACTOR=$scale exec "$root/build/app/kotobaru") &
app=$!
export DISPLAY=$display
win=$(xdotool search --sync --name 'コトバル' | head -1)
sleep 0.5
# Start a round, wait for the countdown, then answer a few questions in romaji.
xdotool mousemove --window "$win" $((373 * scale)) $((40 * scale)) click 1
sleep 3.5
for word in asa inu kaki; do
    xdotool type --delay 40 "$word"
    xdotool key Return
done
xdotool type --delay 40 "sak"
sleep 0.5
import -window root -crop $((631 * scale))x$((452 * scale))+0+0 +repage "$out"
echo "saved $out"
