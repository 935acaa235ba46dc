#!/bin/sh
# `cpack -G DEB` makes a package that declares what the game needs at run time
# and whose launcher names the package's own paths, whatever prefix the build
# was configured with.
#   deb_test.sh <build dir> <app id>
set -u
build=$1
id=$2
. "$(dirname "$0")/lib.sh"

out=$scratch/out
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; require "cpack -G DEB succeeds" false; }
set -- "$out"/kotobaru_*.deb
require "exactly one package is made" test $# -eq 1 -a -f "$1"
deb=$1
field() { dpkg-deb -f "$deb" "$1"; }

check "package kotobaru, its file named after name, version and architecture" \
    [ "$(basename "$deb")" = "$(field Package)_$(field Version)_$(dpkg --print-architecture).deb" ]
check "maintainer with an address" sh -c "dpkg-deb -f '$deb' Maintainer | grep -q '<.*@.*>'"
check "a summary and a long description" [ "$(field Description | wc -l)" -ge 3 ]
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libqt6charts6 qt6-qpa-plugins libchm1 fonts-ipafont-gothic; do
    check "depends on $package" sh -c "printf '%s\n' '$depends' | grep -qx '$package'"
done

check "recommends Qt's Japanese texts" sh -c "dpkg-deb -f '$deb' Recommends | grep -q qt6-translations-l10n"

root=$scratch/root
require "package unpacks" dpkg-deb -x "$deb" "$root"
check "every file belongs to root" sh -c "! dpkg-deb -c '$deb' | awk '\$2 != \"root/root\"' | grep -q ."
# packaging_install checks the files; one per install folder shows the prefix here.
for path in usr/share/kotobaru/設定.txt usr/share/applications/$id.desktop usr/share/doc/kotobaru/copyright; do
    check "package holds /$path" [ -f "$root/$path" ]
done
check "program is stripped" sh -c "file '$root/usr/libexec/kotobaru/kotobaru' | grep -q ', stripped'"
check "the chart module lies beside the program" [ -f "$root/usr/libexec/kotobaru/kotobaru-chart.so" ]

# The package installs under /usr, so its launcher must say so, not the build's
# prefix nor the folder CPack staged the files in.
launcher=$root/usr/bin/kotobaru
check "launcher finds the defaults in /usr/share/kotobaru" grep -q '${KOTOBARU_DEFAULTS:-/usr/share/kotobaru}' "$launcher"
check "launcher starts /usr/libexec/kotobaru/kotobaru" grep -q '${KOTOBARU_PROGRAM:-/usr/libexec/kotobaru/kotobaru}' "$launcher"
check "launcher names no build folder" sh -c "! grep -qF -e '$build' -e _CPack_Packages -e @KOTOBARU '$launcher'"

finish
