# Shared by the packaging tests (POSIX sh): a scratch HOME, so the player's own
# files are never touched, and checks that report every failure before the end.

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kotobaru-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' HUP INT TERM
HOME=$scratch/home
XDG_DATA_HOME=$scratch/home/.local/share
KB_TRACE=$scratch/trace
export HOME XDG_DATA_HOME KB_TRACE
unset KOTOBARU_DATA_DIR KOTOBARU_DEFAULTS KOTOBARU_PROGRAM
mkdir -p "$HOME"
failures=0
kb_files='かな.TXT 不要.TXT 設定.txt 履歴.txt'

fail() { printf 'FAIL: %s\n' "$*" >&2; failures=$((failures + 1)); }

# check <description> <command...>; require also stops when what follows is moot.
check() { what=$1; shift; "$@" || { fail "$what"; return 1; }; }
require() { check "$@" || exit 1; }
# ctest shows the reason and counts the test as skipped (SKIP_RETURN_CODE 77).
skip() { printf 'SKIP: %s\n' "$*"; exit 77; }

finish() {
    [ "$failures" -eq 0 ] || { printf '%s check(s) failed\n' "$failures" >&2; exit 1; }
    echo "all checks passed"
}

# same_files <dir> <dir>: the four data files are alike in both.
same_files() { for f in $kb_files; do cmp -s "$1/$f" "$2/$f" || return 1; done; }

# A stand-in for the game: records where it was started and with which
# arguments; exits with $FAKE_STATUS.
make_fake_program() {
    cat >"$1" <<'FAKE'
#!/bin/sh
pwd -P >"$KB_TRACE.pwd"
printf '%s\n' "$@" >"$KB_TRACE.args"
exit "${FAKE_STATUS:-0}"
FAKE
    chmod 755 "$1"
}

# started_in <dir>: the stand-in ran there.
started_in() { [ -f "$KB_TRACE.pwd" ] && [ "$(cat "$KB_TRACE.pwd")" = "$(cd "$1" && pwd -P)" ]; }

# the_package <out dir>: the one .deb that packaging_deb makes there, as $deb.
the_package() {
    set -- "$1"/kotobaru_*.deb
    require "exactly one package was made" test $# -eq 1 -a -f "$1"
    deb=$1
}
