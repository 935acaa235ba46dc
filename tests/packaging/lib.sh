# Shared by the packaging tests (POSIX sh): a scratch folder removed on exit,
# HOME and XDG_DATA_HOME inside it so the player's own files are never touched,
# and checks that report every failure before the test ends.

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kotobaru-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' HUP INT TERM
HOME=$scratch/home
XDG_DATA_HOME=$scratch/home/.local/share
export HOME XDG_DATA_HOME
unset KOTOBARU_DATA_DIR KOTOBARU_DEFAULTS KOTOBARU_PROGRAM
mkdir -p "$HOME"
failures=0

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    failures=$((failures + 1))
}

# check <description> <command...>
check() {
    what=$1
    shift
    "$@" || fail "$what"
}

same_file() { cmp -s "$1" "$2"; }

# Stops the test at once when what follows cannot be meaningful.
require() {
    what=$1
    shift
    "$@" || {
        fail "$what"
        exit 1
    }
}

finish() {
    if [ "$failures" -ne 0 ]; then
        printf '%s check(s) failed\n' "$failures" >&2
        exit 1
    fi
    echo "all checks passed"
}

# A stand-in for the game: records where it was started, with which
# arguments, and what the directory held; exits with $FAKE_STATUS.
make_fake_program() {
    cat >"$1" <<'FAKE'
#!/bin/sh
pwd -P >"$KB_TRACE.pwd"
printf '%s\n' "$@" >"$KB_TRACE.args"
ls -A >"$KB_TRACE.ls"
exit "${FAKE_STATUS:-0}"
FAKE
    chmod 755 "$1"
}
