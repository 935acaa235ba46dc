#!/bin/sh
# `cmake --install` into a temporary prefix lays out the program, its launcher,
# the defaults, the help, the icons, the two descriptions and the manual pages
# as Debian lays out a game (packaging_lint runs the validators on the package).
#   install_test.sh <build dir> <app id> <1 when the help is built, else 0>
set -u
build=$1
id=$2
with_help=$3
. "$(dirname "$0")/lib.sh"
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

prefix=$scratch/prefix
share=$prefix/share
require "cmake --install succeeds" cmake --install "$build" --prefix "$prefix" >"$scratch/install.log"

program=$prefix/libexec/kotobaru/kotobaru
check "program is an ELF executable out of PATH" sh -c "file -L '$program' | grep -q 'ELF.*executable'"
# Linked against the system's Qt only: nothing may point back into the build.
check "program has no build-tree run path" sh -c "! readelf -d '$program' | grep -E 'R(UN)?PATH' | grep -qF '$build'"
check "the chart module lies beside the program" sh -c "file -L '${program%/*}/kotobaru-chart.so' | grep -q 'ELF.*shared object'"
defaults=$share/games/kotobaru
check "default files are installed unchanged" same_files "$source_dir/data" "$defaults"
[ "$with_help" != 1 ] || check "help is installed beside the defaults" cmp -s "$build/KbHelp.chm" "$defaults/KbHelp.chm"

for size in 16 22 24 32 48 64 128 256; do
    check "${size}px icon is a ${size}x$size PNG" sh -c "file '$share/icons/hicolor/${size}x$size/apps/$id.png' | grep -q 'PNG image data, $size x $size,'"
done
check "scalable icon is the window's SVG" cmp -s "$source_dir/assets/icon.svg" "$share/icons/hicolor/scalable/apps/$id.svg"
# An SVG the renderer cannot draw would give a blank picture, not an error.
check "rendered icon is not blank" [ "$(convert "$share/icons/hicolor/256x256/apps/$id.png" \
    -alpha extract -format '%[fx:mean>0.2]' info: 2>/dev/null)" = 1 ]

desktop=$share/applications/$id.desktop
key() { sed -n "s/^$1=//p" "$desktop"; }
check "menu name in Japanese" [ "$(key 'Name\[ja\]')" = コトバル ]
check "menu entry starts the installed launcher by its path" [ "$(key Exec)" = "$prefix/games/kotobaru" ]
check "menu icon names the installed icon" [ "$(key Icon)" = "$id" ]
check "metainfo names the game in Japanese" grep -q '<name xml:lang="ja">コトバル</name>' "$share/metainfo/$id.metainfo.xml"

# The manual pages name this prefix's files, and man finds them by language.
for page in man6/kotobaru.6.gz ja/man6/kotobaru.6.gz; do
    check "$page is installed, names the installed defaults" \
        sh -c "zcat '$share/man/$page' | sed 's/\\\\-/-/g' | grep -qF '$defaults/'"
done
export MANPATH="$share/man" MANPAGER=cat LC_ALL=C.UTF-8
check "man finds the English page" sh -c "man kotobaru 2>&1 | grep -q 'Japanese kana word game'"
check "man -L ja finds the Japanese page" sh -c "man -L ja kotobaru 2>&1 | grep -q 'かな言葉ゲーム'"
unset MANPATH MANPAGER LC_ALL

# The launcher names the installed paths: with a stand-in for the program,
# a first start seeds the player's directory from the installed defaults.
require "program can be swapped for a stand-in" make_fake_program "$program"
check "installed launcher exits 0" sh -c "'$prefix/games/kotobaru' >'$scratch/run.log' 2>&1"
check "installed launcher starts the program in ~/.local/share/kotobaru" started_in "$XDG_DATA_HOME/kotobaru"
check "installed launcher seeds the defaults" same_files "$defaults" "$XDG_DATA_HOME/kotobaru"
[ "$with_help" != 1 ] ||
    check "installed launcher links the help" [ "$(readlink "$XDG_DATA_HOME/kotobaru/KbHelp.chm")" = "$defaults/KbHelp.chm" ]

[ "$failures" -eq 0 ] || cat "$scratch/run.log" >&2
finish
