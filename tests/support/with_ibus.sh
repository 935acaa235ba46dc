#!/bin/sh
# Runs a test program on a virtual X server with ibus and Mozc, on a session
# bus of its own, as the player would have them: the keyboard's own engine
# selected, Mozc installed beside it.
#   with_ibus.sh <im_session.sh> <program> [arguments...]
# Mozc refuses to run as root, so run it through as_user.sh.
set -eu
session=$1
shift
if [ -z "${KB_IBUS_SESSION:-}" ]; then
    export KB_IBUS_SESSION=1 XDG_CONFIG_HOME="$HOME/.config" XDG_RUNTIME_DIR="$HOME/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
    exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$session" "$@"
fi

# No panel: nothing else on this display switches the engine.
ibus-daemon --panel=disable --emoji-extension=disable --config=/usr/libexec/ibus-memconf \
    >"$HOME/ibus.log" 2>&1 &
daemon=$!
. "$session"
wait_until "$HOME/ibus.log" ibus engine xkb:us::eng
run_and_end $daemon ibus "$@"
