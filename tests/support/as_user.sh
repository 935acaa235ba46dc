#!/bin/sh
# Runs a test program as an ordinary user: root ignores file permissions, so
# permission cases prove nothing when run as root. As root the program, and
# any file named after it, is copied where any user may run it and started as
# nobody, with the group "users" as a supplementary group; as anyone else it
# simply runs.
set -eu
program=$1
shift
[ "$(id -u)" = 0 ] || exec "$program" "$@"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"
install -d -o nobody "$dir/home"
install -m 755 "$program" "$dir/"
args=
for a in "$@"; do
    [ -f "$a" ] && install -m 755 "$a" "$dir/" && a="$dir/$(basename "$a")"
    args="$args '$a'"
done
# The leak suppressions of a sanitizer build must be readable by nobody too.
supp=$(printf ':%s' "${LSAN_OPTIONS:-}" | sed -n 's/.*:suppressions=\([^:]*\).*/\1/p')
if [ -n "$supp" ]; then
    install -m 644 "$supp" "$dir/lsan.supp"
    export LSAN_OPTIONS="$LSAN_OPTIONS:suppressions=$dir/lsan.supp" # the last one counts
fi
cd "$dir"
eval "set -- $args"
HOME="$dir/home" TMPDIR=/tmp setpriv --reuid=nobody --regid=nogroup --groups=users \
    "$dir/$(basename "$program")" "$@"
