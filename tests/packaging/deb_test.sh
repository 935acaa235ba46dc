#!/bin/sh
# `cpack -G DEB` makes a package that declares what the game needs at run time,
# lays itself out as Debian lays out a game, and whose launcher and manual
# pages name the package's own paths, whatever prefix the build was configured
# with. The package is left in <out dir> for packaging_lint and packaging_installed.
#   deb_test.sh <build dir> <out dir>
set -u
build=$1
out=$2
. "$(dirname "$0")/lib.sh"

rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; require "cpack -G DEB succeeds" false; }
the_package "$out"
field() { dpkg-deb -f "$deb" "$1"; }

check "package kotobaru, its file named after name, version and architecture" \
    [ "$(basename "$deb")" = "$(field Package)_$(field Version)_$(dpkg --print-architecture).deb" ]
check "a game, filed under games" [ "$(field Section)" = games ]
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libqt6charts6 qt6-qpa-plugins libchm1 fonts-ipafont-gothic; do
    check "depends on $package" sh -c "printf '%s\n' '$depends' | grep -qx '$package'"
done
check "recommends Qt's Japanese texts" sh -c "dpkg-deb -f '$deb' Recommends | grep -q qt6-translations-l10n"

root=$scratch/root
require "package unpacks" dpkg-deb -x "$deb" "$root"
# packaging_install checks the files; one per install folder shows the prefix here.
for path in usr/share/games/kotobaru/設定.txt usr/share/applications/jp.kotobaru.kotobaru.desktop \
    usr/share/doc/kotobaru/copyright usr/share/man/man6/kotobaru.6.gz usr/share/man/ja/man6/kotobaru.6.gz; do
    check "package holds /$path" [ -f "$root/$path" ]
done
check "the command is in /usr/games and nothing in /usr/bin" test -x "$root/usr/games/kotobaru" -a ! -e "$root/usr/bin"
check "the chart module lies beside the program" [ -f "$root/usr/libexec/kotobaru/kotobaru-chart.so" ]
check "the changelog is Debian's, its latest entry this version" \
    [ "$(zcat "$root/usr/share/doc/kotobaru/changelog.gz" | dpkg-parsechangelog -l - -S Version)" = "$(field Version)" ]

# The package installs under /usr, so its launcher, menu entry and manual
# pages must say so, not the build's prefix nor the folder CPack staged them in.
launcher=$root/usr/games/kotobaru
check "launcher finds the defaults in /usr/share/games/kotobaru" grep -q '${KOTOBARU_DEFAULTS:-/usr/share/games/kotobaru}' "$launcher"
check "launcher starts /usr/libexec/kotobaru/kotobaru" grep -q '${KOTOBARU_PROGRAM:-/usr/libexec/kotobaru/kotobaru}' "$launcher"
for page in usr/share/man/man6/kotobaru.6.gz usr/share/man/ja/man6/kotobaru.6.gz; do
    zcat "$root/$page" >"$scratch/page"
    check "/$page names the installed defaults" grep -qF '/usr/share/games/kotobaru/' "$scratch/page"
    check "/$page names no build folder" sh -c "! grep -qF -e '$build' -e _CPack_Packages '$scratch/page'"
    check "/$page has every @placeholder@ filled in" sh -c "! grep -qE '@[A-Z_]+@' '$scratch/page'"
done
check "the menu entry starts /usr/games/kotobaru" grep -qx 'Exec=/usr/games/kotobaru' "$root/usr/share/applications/jp.kotobaru.kotobaru.desktop"
check "launcher names no build folder" sh -c "! grep -qF -e '$build' -e _CPack_Packages -e @KOTOBARU '$launcher'"

finish
