#!/bin/sh
# Runs a test program as an ordinary user: root ignores file permissions, so
# permission cases prove nothing when run as root. As root the program is
# copied where any user may run it and started as nobody, with the group
# "users" as a supplementary group; as anyone else it simply runs.
set -eu
program=$1
shift
if [ "$(id -u)" != 0 ]; then
    exec "$program" "$@"
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/home"
cp "$program" "$dir/"
chmod 755 "$dir" "$dir/$(basename "$program")"
chown nobody "$dir/home"
# The leak suppressions of a sanitizer build must be readable by nobody too.
if [ -n "${LSAN_OPTIONS:-}" ]; then
    options=
    for option in $(printf '%s' "$LSAN_OPTIONS" | tr ':' ' '); do
        case $option in
        suppressions=*)
            cp "${option#suppressions=}" "$dir/lsan.supp"
            chmod 644 "$dir/lsan.supp"
            option="suppressions=$dir/lsan.supp"
            ;;
        esac
        options="$options${options:+:}$option"
    done
    LSAN_OPTIONS=$options
    export LSAN_OPTIONS
fi
cd "$dir"
status=0
HOME="$dir/home" TMPDIR=/tmp setpriv --reuid=nobody --regid=nogroup --groups=users \
    "$dir/$(basename "$program")" "$@" || status=$?
exit $status
