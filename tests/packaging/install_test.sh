#!/bin/sh
# `cmake --install` into a temporary prefix lays out the program, its launcher,
# the defaults, the help, the icons and the two descriptions, which pass Debian's validators.
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
check "default files are installed unchanged" same_files "$source_dir/data" "$share/kotobaru"
[ "$with_help" != 1 ] || check "help is installed beside the defaults" cmp -s "$build/KbHelp.chm" "$share/kotobaru/KbHelp.chm"

for size in 16 22 24 32 48 64 128 256; do
    check "${size}px icon is a ${size}x$size PNG" sh -c "file '$share/icons/hicolor/${size}x$size/apps/$id.png' | grep -q 'PNG image data, $size x $size,'"
done
check "scalable icon is the window's SVG" cmp -s "$source_dir/assets/icon.svg" "$share/icons/hicolor/scalable/apps/$id.svg"
# An SVG the renderer cannot draw would give a blank picture, not an error.
check "rendered icon is not blank" [ "$(convert "$share/icons/hicolor/256x256/apps/$id.png" \
    -alpha extract -format '%[fx:mean>0.2]' info: 2>/dev/null)" = 1 ]

desktop=$share/applications/$id.desktop
check "desktop-file-validate accepts the entry without a remark" \
    sh -c "desktop-file-validate '$desktop' >'$scratch/desktop.log' 2>&1 && ! grep -qE 'error|warning' '$scratch/desktop.log'"
key() { sed -n "s/^$1=//p" "$desktop"; }
check "menu name in Japanese" [ "$(key 'Name\[ja\]')" = コトバル ]
check "listed under Game and Education" sh -c "printf '%s\n' '$(key Categories)' | tr ';' '\n' | grep -cxE 'Game|Education' | grep -qx 2"
check "menu entry starts the installed launcher" [ -x "$prefix/bin/$(key Exec)" ]
check "menu icon names the installed icon" [ "$(key Icon)" = "$id" ]

metainfo=$share/metainfo/$id.metainfo.xml
check "appstreamcli validate passes without a remark, even a pedantic one" \
    sh -c "appstreamcli validate --no-net --pedantic '$metainfo' >'$scratch/metainfo.log' 2>&1 && ! grep -qE '^[EWIP]:' '$scratch/metainfo.log'"
# validate-tree checks the metainfo against the installed desktop entry and icons.
check "appstreamcli validate-tree passes" sh -c "appstreamcli validate-tree --no-net '$prefix' >'$scratch/tree.log' 2>&1"
check "metainfo names the game in Japanese" grep -q '<name xml:lang="ja">コトバル</name>' "$metainfo"

# The launcher names the installed paths: with a stand-in for the program,
# a first start seeds the player's directory from the installed defaults.
require "program can be swapped for a stand-in" make_fake_program "$program"
check "installed launcher exits 0" sh -c "'$prefix/bin/kotobaru' >'$scratch/run.log' 2>&1"
check "installed launcher starts the program in ~/.local/share/kotobaru" started_in "$XDG_DATA_HOME/kotobaru"
check "installed launcher seeds the defaults" same_files "$share/kotobaru" "$XDG_DATA_HOME/kotobaru"
[ "$with_help" != 1 ] ||
    check "installed launcher links the help" [ "$(readlink "$XDG_DATA_HOME/kotobaru/KbHelp.chm")" = "$share/kotobaru/KbHelp.chm" ]

[ "$failures" -eq 0 ] || cat "$scratch/desktop.log" "$scratch/metainfo.log" "$scratch/tree.log" "$scratch/run.log" >&2
finish
