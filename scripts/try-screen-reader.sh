#!/bin/sh
# Plays the start of a round as a screen reader hears it: the game on a virtual
# X server with the accessibility bus (AT-SPI) on, and every name change and
# focus change the bus carries printed as "event | role | name | description".
#   scripts/try-screen-reader.sh [path to kotobaru]
# Each question should be announced once, as the question label's new name.
# Last it opens the progress chart and prints what the bus says of that window.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/app/kotobaru}")
if [ -z "${KB_A11Y_SESSION:-}" ]; then
    KB_A11Y_SESSION=1 exec dbus-run-session -- "$0" "$program"
fi
play=$(mktemp -d)
pids=
trap 'kill $pids 2>/dev/null; rm -rf "$play"' EXIT
cp "$root"/data/* "$play/"
export DISPLAY=:$((60 + $$ % 30))
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
pids="$pids $!"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids="$pids $!"
sleep 2
/usr/bin/python3 - <<'PY' &
import pyatspi
from gi.repository import GLib
def heard(e):
    try:
        s = e.source
        if s.getApplication().name != "kotobaru": return
        print(f"{e.type} | {s.getRoleName()} | {s.name} | {s.description}", flush=True)
    except Exception:
        pass
pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-name",
                                       "object:state-changed:focused")
GLib.timeout_add_seconds(30, pyatspi.Registry.stop)
pyatspi.Registry.start()
PY
pids="$pids $!"
sleep 2
(cd "$play" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb exec "$program" >/dev/null 2>&1) &
pids="$pids $!"
sleep 3
window=$(xdotool search --name コトバル | head -1)
xdotool windowfocus "$window"
echo "--- スタート" && xdotool mousemove 373 40 click 1 && sleep 5
for word in asa ika uta; do
    echo "--- $word, Enter" && xdotool type "$word" && xdotool key Return && sleep 1
done
sleep 1
# Then the progress chart, from the history grid's menu (Shift+F10), and what
# the bus says of its window: name, description and the summary under it.
echo "--- 履歴, Shift+F10, Enter"
xdotool mousemove 300 380 click 1 key shift+F10 && sleep 0.5 && xdotool key Return && sleep 2
/usr/bin/python3 - <<'PY'
import pyatspi
def walk(node, depth=0):
    if node.name or node.description:
        print(f"{'  ' * depth}{node.getRoleName()} | {node.name} | {node.description}")
    for child in node:
        if child is not None and depth < 6: walk(child, depth + 1)
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "kotobaru":
        for window in app:
            if window.name == "成績グラフ": walk(window)
PY
