#!/bin/sh
# The package, as packaging_deb made it, passes Debian's own checkers as a
# packager runs them: lintian without an error or a warning, the desktop entry
# without even a hint, the AppStream metadata with its icons and entry.
#   lint_test.sh <out dir> <app id>
set -u
out=$1
id=$2
. "$(dirname "$0")/lib.sh"

the_package "$out"

# Info tags do not count.
lintian --fail-on error,warning --display-info "$deb" >"$scratch/lintian.log" 2>&1
check "lintian finds no error and no warning" [ $? -eq 0 ]

root=$scratch/root
require "package unpacks" dpkg-deb -x "$deb" "$root"
desktop=$root/usr/share/applications/$id.desktop
desktop-file-validate "$desktop" >"$scratch/desktop.log" 2>&1
check "desktop-file-validate accepts the entry" [ $? -eq 0 ]
check "desktop-file-validate has not even a hint" [ ! -s "$scratch/desktop.log" ]
# A second main category lists the game twice in some menus.
categories=$(sed -n 's/^Categories=//p' "$desktop" | tr ';' '\n')
main=$(printf '%s\n' "$categories" | grep -cxE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility')
check "one main category, Game, as the section says" [ "$main" = 1 ] && check "that category is Game" \
    sh -c "printf '%s\n' '$categories' | grep -qx Game"

metainfo=$root/usr/share/metainfo/$id.metainfo.xml
check "appstreamcli validate passes without a remark, even a pedantic one" \
    sh -c "appstreamcli validate --no-net --pedantic '$metainfo' >'$scratch/metainfo.log' 2>&1 && ! grep -qE '^[EWIP]:' '$scratch/metainfo.log'"
# validate-tree checks the metainfo against the packaged desktop entry and icons.
check "appstreamcli validate-tree passes" sh -c "appstreamcli validate-tree --no-net '$root/usr' >'$scratch/tree.log' 2>&1"

# The manual pages format without a groff complaint, the Japanese one included
# (lintian forgives Japanese lines groff cannot break; a reader would not).
for page in man6/kotobaru.6.gz ja/man6/kotobaru.6.gz; do
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$root/usr/share/man/$page" \
        2>"$scratch/groff.log" | LC_ALL=C.UTF-8 col -bx >"$scratch/page.txt"
    check "$page formats without a warning" [ ! -s "$scratch/groff.log" ]
    check "$page keeps within 80 columns" [ "$(LC_ALL=C.UTF-8 wc -L <"$scratch/page.txt")" -le 80 ]
    cat "$scratch/groff.log" >&2
done

[ "$failures" -eq 0 ] || cat "$scratch/lintian.log" "$scratch/desktop.log" "$scratch/metainfo.log" "$scratch/tree.log" >&2
finish
