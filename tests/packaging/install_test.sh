#!/bin/sh
# `cmake --install` into a temporary prefix lays out the program, its launcher,
# the default files, the help, the desktop entry, the icons and the metainfo,
# and the two descriptions pass Debian's validators.
#   install_test.sh <build dir> <app id> <1 when the help is built, else 0>
set -u
build=$1
id=$2
with_help=$3
. "$(dirname "$0")/lib.sh"
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

prefix=$scratch/prefix
require "cmake --install succeeds" cmake --install "$build" --prefix "$prefix" >"$scratch/install.log"

program=$prefix/libexec/kotobaru/kotobaru
launcher=$prefix/bin/kotobaru
check "launcher is installed executable" test -f "$launcher" -a -x "$launcher"
check "program is an ELF executable out of PATH" sh -c "file -L '$program' | grep -q 'ELF.*executable'"
# Linked against the system's Qt only: nothing may point back into the build.
check "program has no build-tree run path" sh -c "! readelf -d '$program' | grep -E 'R(UN)?PATH' | grep -qF '$build'"

for f in かな.TXT 不要.TXT 設定.txt 履歴.txt; do
    check "default $f is installed unchanged" same_file "$source_dir/data/$f" "$prefix/share/kotobaru/$f"
done
if [ "$with_help" = 1 ]; then
    check "help is installed beside the defaults" same_file "$build/KbHelp.chm" "$prefix/share/kotobaru/KbHelp.chm"
fi

for size in 16 22 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
    check "${size}px icon is a ${size}x$size PNG" sh -c "file '$png' | grep -q 'PNG image data, $size x $size,'"
done
check "scalable icon is the window's SVG" same_file "$source_dir/assets/icon.svg" \
    "$prefix/share/icons/hicolor/scalable/apps/$id.svg"
# An SVG the renderer cannot draw would give a blank picture, not an error.
check "rendered icon is not blank" [ "$(convert "$prefix/share/icons/hicolor/256x256/apps/$id.png" \
    -alpha extract -format '%[fx:mean>0.2]' info: 2>/dev/null)" = 1 ]

desktop=$prefix/share/applications/$id.desktop
require "desktop entry is installed" [ -f "$desktop" ]
desktop-file-validate "$desktop" >"$scratch/desktop.log" 2>&1
check "desktop-file-validate accepts the entry" [ $? -eq 0 ]
check "desktop entry has no errors or warnings" sh -c "! grep -E 'error|warning' '$scratch/desktop.log'"
key() { sed -n "s/^$1=//p" "$desktop"; }
check "menu name in Japanese" [ "$(key 'Name\[ja\]')" = コトバル ]
check "menu comment in Japanese" [ -n "$(key 'Comment\[ja\]')" ]
check "listed under Game and Education" sh -c "printf '%s\n' '$(key Categories)' | tr ';' '\n' | grep -cxE 'Game|Education' | grep -qx 2"
check "menu entry starts the installed launcher" [ -x "$prefix/bin/$(key Exec)" ]
check "menu icon names the installed icon" [ "$(key Icon)" = "$id" ]
check "not in a terminal" [ "$(key Terminal)" = false ]

metainfo=$prefix/share/metainfo/$id.metainfo.xml
require "metainfo is installed" [ -f "$metainfo" ]
appstreamcli validate --no-net --pedantic "$metainfo" >"$scratch/metainfo.log" 2>&1
check "appstreamcli validate passes" [ $? -eq 0 ]
check "metainfo draws no remarks, even pedantic ones" sh -c "! grep -E '^[EWIP]:' '$scratch/metainfo.log'"
# validate-tree checks the metainfo against the installed desktop entry and icons.
appstreamcli validate-tree --no-net "$prefix" >"$scratch/tree.log" 2>&1
check "appstreamcli validate-tree passes" [ $? -eq 0 ]
check "metainfo names the game in Japanese" grep -q '<name xml:lang="ja">コトバル</name>' "$metainfo"

# The launcher names the installed paths: with a stand-in for the program,
# a first start seeds the player's directory from the installed defaults.
require "program can be swapped for a stand-in" make_fake_program "$program"
KB_TRACE=$scratch/trace
export KB_TRACE
"$launcher" >"$scratch/run.log" 2>&1
check "installed launcher exits 0" [ $? -eq 0 ]
check "installed launcher starts the installed program" [ -f "$KB_TRACE.pwd" ]
check "installed launcher plays in ~/.local/share/kotobaru" \
    [ "$(cat "$KB_TRACE.pwd" 2>/dev/null)" = "$(cd "$XDG_DATA_HOME/kotobaru" 2>/dev/null && pwd -P)" ]
for f in かな.TXT 不要.TXT 設定.txt 履歴.txt; do
    check "installed launcher seeds $f" same_file "$prefix/share/kotobaru/$f" "$XDG_DATA_HOME/kotobaru/$f"
done
if [ "$with_help" = 1 ]; then
    check "installed launcher links the help" [ "$(readlink "$XDG_DATA_HOME/kotobaru/KbHelp.chm")" = "$prefix/share/kotobaru/KbHelp.chm" ]
fi

if [ "$failures" -ne 0 ]; then
    cat "$scratch/desktop.log" "$scratch/metainfo.log" "$scratch/tree.log" "$scratch/run.log" >&2
fi
finish
