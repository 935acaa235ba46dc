#!/bin/sh
# The launcher seeds the player's data directory with the default files that
# are missing, never touches one the player has, and starts the program there.
#   launcher_test.sh <kotobaru.in>
set -u
launcher=$1
. "$(dirname "$0")/lib.sh"

defaults=$scratch/defaults
mkdir -p "$defaults"
printf 'あ\r\nい\r\n' | iconv -f UTF-8 -t CP932 >"$defaults/かな.TXT"
# Every default differs from what the player has below, so a copy over the
# player's file would show.
printf 'ん\r\n' | iconv -f UTF-8 -t CP932 >"$defaults/不要.TXT"
printf '60,1\r\n' >"$defaults/設定.txt"
printf '2026/11/30,12:00:00,0,1,0,2,1,100.0,1.0,30\r\n' >"$defaults/履歴.txt"
printf 'help' >"$defaults/KbHelp.chm"
fake=$scratch/fake-kotobaru
make_fake_program "$fake"
KB_TRACE=$scratch/trace
export KB_TRACE
files='かな.TXT 不要.TXT 設定.txt 履歴.txt'

launch() {
    rm -f "$KB_TRACE".*
    KOTOBARU_DEFAULTS=${KOTOBARU_DEFAULTS-$defaults} KOTOBARU_PROGRAM=${KOTOBARU_PROGRAM-$fake} \
        sh "$launcher" "$@"
}

started_in() { [ -f "$KB_TRACE.pwd" ] && [ "$(cat "$KB_TRACE.pwd")" = "$(cd "$1" && pwd -P)" ]; }

absent() { [ ! -e "$1" ] && [ ! -L "$1" ]; }

seeded_from_defaults() {
    for f in $files; do
        same_file "$defaults/$f" "$1/$f" || return 1
    done
}

# A fresh player: every default copied into ~/.local/share/kotobaru.
(
    unset XDG_DATA_HOME
    launch -x 'two words'
) || fail "fresh start exits 0"
dir=$HOME/.local/share/kotobaru
check "fresh start seeds all four files" seeded_from_defaults "$dir"
check "fresh start runs the program in the data directory" started_in "$dir"
check "arguments reach the program" [ "$(cat "$KB_TRACE.args" 2>/dev/null)" = "-x
two words" ]
check "help is a link to the installed one" [ "$(readlink "$dir/KbHelp.chm")" = "$defaults/KbHelp.chm" ]
check "the data directory is private" [ "$(stat -c %a "$dir")" = 700 ]
check "no temporary files left behind" [ "$(ls -A "$dir" | wc -l)" -eq 5 ]
check "the program saw its files in place" grep -qx '履歴.txt' "$KB_TRACE.ls"

# XDG_DATA_HOME decides where the files live; a relative one is ignored.
XDG_DATA_HOME=$scratch/xdg launch || fail "start with XDG_DATA_HOME exits 0"
check "XDG_DATA_HOME is honoured" started_in "$scratch/xdg/kotobaru"
check "XDG_DATA_HOME directory is seeded" seeded_from_defaults "$scratch/xdg/kotobaru"
(cd "$scratch" && HOME=$scratch/home2 XDG_DATA_HOME=relative launch) || fail "start with relative XDG_DATA_HOME exits 0"
check "relative XDG_DATA_HOME falls back to HOME" started_in "$scratch/home2/.local/share/kotobaru"
check "nothing is made under a relative XDG_DATA_HOME" [ ! -e "$scratch/relative" ]

# The player's own files, a history with records and an emptied exclusion
# list among them, are kept byte for byte; only the missing one is seeded.
dir=$scratch/player
mkdir -p "$dir"
printf '2026/12/01,21:05:13,0,12,3,40,29,80.0,1.3,30\r\n2026/12/02,07:44:02,1,9,0,31,22,100.0,1.0,30\r\n' >"$dir/履歴.txt"
printf '90,0\r\n' >"$dir/設定.txt"
: >"$dir/不要.TXT"
cp "$dir/履歴.txt" "$scratch/history.before"
KOTOBARU_DATA_DIR=$dir launch || fail "start with the player's files exits 0"
check "history with records is kept" same_file "$scratch/history.before" "$dir/履歴.txt"
check "player's settings are kept" [ "$(cat "$dir/設定.txt")" = "$(printf '90,0\r\n')" ]
check "an empty exclusion list stays empty" [ ! -s "$dir/不要.TXT" ]
check "the missing kana list is seeded" same_file "$defaults/かな.TXT" "$dir/かな.TXT"
check "the program runs among the player's files" started_in "$dir"

# A name the player made a link, even a dangling one, is theirs too.
dir=$scratch/links
mkdir -p "$dir"
ln -s "$scratch/nowhere/履歴.txt" "$dir/履歴.txt"
printf 'mine' >"$dir/KbHelp.chm"
KOTOBARU_DATA_DIR=$dir launch || fail "start with a dangling link exits 0"
check "a dangling link is left alone" [ "$(readlink "$dir/履歴.txt")" = "$scratch/nowhere/履歴.txt" ]
check "the player's own help file is kept" [ "$(cat "$dir/KbHelp.chm")" = mine ]

# A link to an old help file is pointed at the current one.
dir=$scratch/oldhelp
mkdir -p "$dir" "$scratch/old"
printf 'old' >"$scratch/old/KbHelp.chm"
ln -s "$scratch/old/KbHelp.chm" "$dir/KbHelp.chm"
KOTOBARU_DATA_DIR=$dir launch || fail "start with an old help link exits 0"
check "an old help link follows the installed help" [ "$(readlink "$dir/KbHelp.chm")" = "$defaults/KbHelp.chm" ]

# Installed defaults are read-only, but the game rewrites its settings and history.
readonly_defaults=$scratch/readonly
cp -r "$defaults" "$readonly_defaults"
chmod 444 "$readonly_defaults"/*
KOTOBARU_DATA_DIR=$scratch/rw KOTOBARU_DEFAULTS=$readonly_defaults launch || fail "start from read-only defaults exits 0"
for f in $files; do
    check "$f copied from a read-only default is writable" \
        [ "$(stat -c %A "$scratch/rw/$f" 2>/dev/null | cut -c3)" = w ]
done

# Relative paths still work after the launcher changes directory.
mkdir -p "$scratch/rel"
cp -r "$defaults" "$scratch/rel/defaults"
cp "$fake" "$scratch/rel/program"
(cd "$scratch/rel" && KOTOBARU_DATA_DIR=data KOTOBARU_DEFAULTS=defaults KOTOBARU_PROGRAM=./program launch) ||
    fail "start with relative paths exits 0"
check "relative data directory" started_in "$scratch/rel/data"
check "relative defaults are found" seeded_from_defaults "$scratch/rel/data"
check "relative help link resolves from the data directory" [ -f "$scratch/rel/data/KbHelp.chm" ]

# Without an installed help the game still starts; nothing dangles.
mkdir -p "$scratch/nohelp"
cp "$defaults"/*.TXT "$defaults"/*.txt "$scratch/nohelp/"
KOTOBARU_DATA_DIR=$scratch/nohelp-data KOTOBARU_DEFAULTS=$scratch/nohelp launch || fail "start without help exits 0"
check "no help link without an installed help" absent "$scratch/nohelp-data/KbHelp.chm"

# A missing default stops before the program starts with a file missing.
mkdir -p "$scratch/partial"
cp "$defaults/かな.TXT" "$defaults/設定.txt" "$defaults/履歴.txt" "$scratch/partial/"
KOTOBARU_DATA_DIR=$scratch/partial-data KOTOBARU_DEFAULTS=$scratch/partial launch 2>"$scratch/err"
check "a missing default fails" [ $? -ne 0 ]
check "a missing default does not start the program" [ ! -e "$KB_TRACE.pwd" ]
check "a missing default is named in Japanese" grep -q '既定のファイルが見つかりません' "$scratch/err"
check "no partial file for the missing default" [ ! -e "$scratch/partial-data/不要.TXT" ]

# A missing program is reported, and the program's own exit status comes back.
KOTOBARU_DATA_DIR=$scratch/noprog KOTOBARU_PROGRAM=$scratch/no-such-program launch 2>"$scratch/err"
check "a missing program exits 127" [ $? -eq 127 ]
check "a missing program is named in Japanese" grep -q 'プログラムが見つかりません' "$scratch/err"
KOTOBARU_DATA_DIR=$scratch/status FAKE_STATUS=3 launch
check "the program's exit status is passed on" [ $? -eq 3 ]

finish
