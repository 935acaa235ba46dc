#!/bin/sh
# Runs a test program on a virtual X server with ibus and Mozc, on a session
# bus of its own, as the player would have them: the keyboard's own engine
# selected, Mozc installed beside it.
#   with_ibus.sh <program> [arguments...]
# Mozc refuses to run as root, so run it through as_user.sh.
set -eu
if [ -z "${KB_IBUS_SESSION:-}" ]; then
    export KB_IBUS_SESSION=1 XDG_CONFIG_HOME="$HOME/.config" XDG_RUNTIME_DIR="$HOME/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
    exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

# No panel: nothing else on this display switches the engine.
ibus-daemon --panel=disable --emoji-extension=disable --config=/usr/libexec/ibus-memconf \
    >"$HOME/ibus.log" 2>&1 &
daemon=$!
i=0
until ibus engine xkb:us::eng 2>/dev/null; do
    i=$((i + 1))
    [ $i -le 100 ] || { cat "$HOME/ibus.log" >&2; exit 1; }
    sleep 0.1
done
status=0
QT_QPA_PLATFORM=xcb QT_IM_MODULE=ibus "$@" || status=$?
kill $daemon 2>/dev/null || true
# Mozc's server outlives ibus; end the one started for this run, no other.
for pid in $(pgrep -u "$(id -u)" -x mozc_server || true); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "HOME=$HOME" && kill "$pid"
done
exit $status
