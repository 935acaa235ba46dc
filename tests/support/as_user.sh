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
case "${LSAN_OPTIONS:-}" in
*suppressions=*)
    supp=$(printf '%s\n' "$LSAN_OPTIONS" | sed -n 's/.*suppressions=\([^:]*\).*/\1/p')
    cp "$supp" "$dir/lsan.supp"
    chmod 644 "$dir/lsan.supp"
    LSAN_OPTIONS=$(printf '%s\n' "$LSAN_OPTIONS" | sed "s|suppressions=[^:]*|suppressions=$dir/lsan.supp|")
    export LSAN_OPTIONS
    ;;
esac
cd "$dir"
status=0
HOME="$dir/home" TMPDIR=/tmp setpriv --reuid=nobody --regid=nogroup --groups=users \
    "$dir/$(basename "$program")" "$@" || status=$?
exit $status
