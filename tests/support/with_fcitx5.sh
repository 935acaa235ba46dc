#!/bin/sh
# Runs a test program on a virtual X server with fcitx5 and Mozc, on a session
# bus of its own, as the player would have them:
#   with_fcitx5.sh <fcitx5-profile> <program> [arguments...]
# Mozc refuses to run as root, so run it through as_user.sh.
set -eu
profile=$1
shift
if [ -z "${KB_FCITX5_SESSION:-}" ]; then
    # Keyboard first, Mozc second: the method starts switched off, as it does for a player.
    mkdir -p "$HOME/.config/fcitx5"
    cp "$profile" "$HOME/.config/fcitx5/profile"
    export KB_FCITX5_SESSION=1 XDG_CONFIG_HOME="$HOME/.config" XDG_RUNTIME_DIR="$HOME/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$profile" "$@"
fi

fcitx5 --disable=wayland,waylandim >"$HOME/fcitx5.log" 2>&1 &
fcitx=$!
i=0
until dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5 2>/dev/null | grep -q true; do
    i=$((i + 1))
    [ $i -le 100 ] || { cat "$HOME/fcitx5.log" >&2; exit 1; }
    sleep 0.1
done
status=0
QT_QPA_PLATFORM=xcb QT_IM_MODULE=fcitx "$@" || status=$?
kill $fcitx 2>/dev/null || true
# Mozc's server outlives fcitx5; end the one started for this run, no other.
for pid in $(pgrep -u "$(id -u)" -x mozc_server || true); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "HOME=$HOME" && kill "$pid"
done
exit $status
