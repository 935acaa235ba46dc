#!/bin/sh
# Runs a test program on a virtual X server with fcitx5 and Mozc, on a session
# bus of its own, as the player would have them:
#   with_fcitx5.sh <fcitx5-profile> <im_session.sh> <program> [arguments...]
# Mozc refuses to run as root, so run it through as_user.sh.
set -eu
profile=$1
session=$2
shift 2
if [ -z "${KB_FCITX5_SESSION:-}" ]; then
    # Keyboard first, Mozc second: the method starts switched off, as it does for a player.
    mkdir -p "$HOME/.config/fcitx5"
    cp "$profile" "$HOME/.config/fcitx5/profile"
    export KB_FCITX5_SESSION=1 XDG_CONFIG_HOME="$HOME/.config" XDG_RUNTIME_DIR="$HOME/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$profile" "$session" "$@"
fi

fcitx5 --disable=wayland,waylandim >"$HOME/fcitx5.log" 2>&1 &
fcitx=$!
. "$session"
has_fcitx5() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5 | grep -q true
}
wait_until "$HOME/fcitx5.log" has_fcitx5
run_and_end $fcitx fcitx "$@"
