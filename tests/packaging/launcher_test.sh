#!/bin/sh
# The launcher seeds the player's data directory with the default files that
# are missing, never touches one the player has, and starts the program there.
#   launcher_test.sh <kotobaru.in>
set -u
launcher=$1
. "$(dirname "$0")/lib.sh"

# Each default differs from the player's files below, so a copy over one shows.
defaults=$scratch/defaults
mkdir -p "$defaults" "$scratch/rw"
for f in $kb_files KbHelp.chm; do printf 'default %s\r\n' "$f" >"$defaults/$f"; done
fake=$scratch/fake-kotobaru
make_fake_program "$fake"

launch() {
    rm -f "$KB_TRACE".*
    KOTOBARU_DEFAULTS=${KOTOBARU_DEFAULTS-$defaults} KOTOBARU_PROGRAM=${KOTOBARU_PROGRAM-$fake} \
        sh "$launcher" "$@"
}

# A fresh player: every default copied into ~/.local/share/kotobaru.
(unset XDG_DATA_HOME && FAKE_STATUS=3 launch -x 'two words')
check "the program's exit status is passed on" [ $? -eq 3 ]
dir=$HOME/.local/share/kotobaru
check "fresh start seeds all four files" same_files "$defaults" "$dir"
check "fresh start runs the program in the data directory" started_in "$dir"
check "arguments reach the program" [ "$(tr '\n' '|' <"$KB_TRACE.args")" = "-x|two words|" ]
check "help is a link to the installed one" [ "$(readlink "$dir/KbHelp.chm")" = "$defaults/KbHelp.chm" ]
check "the data directory is private" [ "$(stat -c %a "$dir")" = 700 ]
check "no temporary files left behind" [ "$(ls -A "$dir" | wc -l)" -eq 5 ]

# XDG_DATA_HOME decides where the files live; a relative one is ignored.
XDG_DATA_HOME=$scratch/xdg launch || fail "start with XDG_DATA_HOME exits 0"
check "XDG_DATA_HOME is honoured" started_in "$scratch/xdg/kotobaru"
(cd "$scratch" && HOME=$scratch/home2 XDG_DATA_HOME=relative launch) || fail "start with relative XDG_DATA_HOME exits 0"
check "relative XDG_DATA_HOME falls back to HOME" started_in "$scratch/home2/.local/share/kotobaru"

# The player's own entries, an emptied exclusion list and a dangling link
# among them, are kept as they are; only the missing one is seeded.
dir=$scratch/player
mkdir -p "$dir"
printf 'mine' | tee "$dir/設定.txt" >"$dir/KbHelp.chm"
: >"$dir/不要.TXT"
ln -s "$scratch/nowhere/履歴.txt" "$dir/履歴.txt"
KOTOBARU_DATA_DIR=$dir launch || fail "start with the player's files exits 0"
check "player's settings are kept" [ "$(cat "$dir/設定.txt")" = mine ]
check "an empty exclusion list stays empty" [ ! -s "$dir/不要.TXT" ]
check "a dangling link is left alone" [ "$(readlink "$dir/履歴.txt")" = "$scratch/nowhere/履歴.txt" ]
check "the player's own help file is kept" [ "$(cat "$dir/KbHelp.chm")" = mine ]
check "the missing kana list is seeded" cmp -s "$defaults/かな.TXT" "$dir/かな.TXT"

# Installed defaults are read-only, but the game rewrites its settings and
# history. A link to the help of an earlier install follows the current one.
ro=$scratch/readonly
cp -r "$defaults" "$ro"
chmod 444 "$ro"/*
ln -s "$defaults/KbHelp.chm" "$scratch/rw/KbHelp.chm"
KOTOBARU_DATA_DIR=$scratch/rw KOTOBARU_DEFAULTS=$ro launch || fail "start from read-only defaults exits 0"
check "copies of read-only defaults are writable" [ "$(cd "$scratch/rw" && stat -c %A $kb_files | cut -c3 | sort -u)" = w ]
check "an old help link follows the installed help" [ "$(readlink "$scratch/rw/KbHelp.chm")" = "$ro/KbHelp.chm" ]

# Without an installed help the game still starts; nothing dangles.
rm -f "$ro/KbHelp.chm"
KOTOBARU_DATA_DIR=$scratch/nohelp KOTOBARU_DEFAULTS=$ro launch || fail "start without help exits 0"
check "no help link without an installed help" test ! -e "$scratch/nohelp/KbHelp.chm" -a ! -L "$scratch/nohelp/KbHelp.chm"

# A missing default stops before the program starts with a file missing.
rm -f "$ro/不要.TXT"
KOTOBARU_DATA_DIR=$scratch/partial KOTOBARU_DEFAULTS=$ro launch 2>"$scratch/err"
check "a missing default fails" [ $? -ne 0 ]
check "a missing default is named in Japanese" grep -q '既定のファイルが見つかりません' "$scratch/err"

# Relative paths still work after the launcher changes directory.
(cd "$scratch" && KOTOBARU_DATA_DIR=rel KOTOBARU_DEFAULTS=defaults KOTOBARU_PROGRAM=./fake-kotobaru launch) || fail "start with relative paths exits 0"
check "relative data directory" started_in "$scratch/rel"
check "relative help link resolves from the data directory" [ -f "$scratch/rel/KbHelp.chm" ]

# A missing program is reported.
KOTOBARU_DATA_DIR=$scratch/noprog KOTOBARU_PROGRAM=$scratch/no-such-program launch 2>"$scratch/err"
check "a missing program exits 127" [ $? -eq 127 ]
check "a missing program is named in Japanese" grep -q 'プログラムが見つかりません' "$scratch/err"

finish
