#!/bin/sh
# The package as a player gets it: installed with apt-get, `kotobaru` starts
# from a login shell's PATH, `man kotobaru` shows the page in English and in
# Japanese, the menu has one entry, and removing the package leaves the
# player's files. Needs root and changes the system, so it skips when the game
# is installed already; a lock keeps two runs from sharing the package.
#   installed_test.sh <out dir> <app id>
set -u
out=$1
id=$2
. "$(dirname "$0")/lib.sh"

the_package "$out"
[ "$(id -u)" = 0 ] || skip "installing the package needs root"
exec 9>/run/lock/kotobaru-installed-test
require "no other run holds the package for 10 minutes" flock -w 600 9
installed() { dpkg-query -W -f='${db:Status-Status}' kotobaru 2>/dev/null | grep -qx installed; }
installed && skip "kotobaru is installed on this system; remove it to run this test"

apt() {
    DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300 "$@" \
        >>"$scratch/apt.log" 2>&1
}
trap 'installed && apt purge kotobaru; rm -rf "$scratch"' EXIT
# The set-up script installed what the package depends on, so nothing is fetched.
apt install "$deb" || { cat "$scratch/apt.log" >&2; require "apt-get installs the package" false; }

# A player in a terminal: an ordinary user whose login shell sets PATH.
chmod 755 "$scratch"
home=$scratch/player
install -d -o nobody "$home"
player() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -i HOME="$home" LANG=C.UTF-8 TERM=dumb QT_QPA_PLATFORM=offscreen sh -l -c "cd && $1"
}
check "kotobaru is on a login shell's PATH, in /usr/games" [ "$(player 'command -v kotobaru')" = /usr/games/kotobaru ]
player 'MANPAGER=cat man kotobaru' >"$scratch/man.txt" 2>&1
check "man kotobaru shows the page" grep -q 'kotobaru - Japanese kana word game' "$scratch/man.txt"
player 'MANPAGER=cat man -L ja kotobaru' >"$scratch/man-ja.txt" 2>&1
check "man -L ja kotobaru shows the Japanese page" grep -q 'kotobaru - かな言葉ゲーム' "$scratch/man-ja.txt"
check "whatis knows the game, in section 6" sh -c "whatis kotobaru | grep -q '^kotobaru (6)'"

# One entry in the menu: one desktop file starts the game, under one main category.
entries=$(grep -lE '^Exec=(/usr/games/)?kotobaru( |$)' /usr/share/applications/*.desktop 2>/dev/null)
check "one menu entry starts the game" [ "$entries" = "/usr/share/applications/$id.desktop" ]
check "the menu entry's command is installed" [ -x "$(sed -n 's/^Exec=//p' "$entries")" ]

# A real start: still running after a few seconds, in the seeded data directory.
player 'timeout 8 kotobaru' >"$scratch/run.log" 2>&1
check "kotobaru starts and keeps running until stopped" [ $? -eq 124 ]
data=$home/.local/share/kotobaru
check "the first start seeds the player's files" same_files /usr/share/games/kotobaru "$data"

printf '30,0\r\n' >"$data/設定.txt"
cp -p "$data/設定.txt" "$scratch/mine"
apt remove kotobaru || fail "apt-get remove kotobaru succeeds"
check "the game is gone" test ! -e /usr/games/kotobaru -a ! -e /usr/share/man/man6/kotobaru.6.gz
check "the player's files are left" test -f "$data/かな.TXT" -a -f "$data/履歴.txt"
check "the player's settings are left as they were" cmp -s "$scratch/mine" "$data/設定.txt"

[ "$failures" -eq 0 ] || cat "$scratch/apt.log" "$scratch/man.txt" "$scratch/man-ja.txt" "$scratch/run.log" >&2
finish
