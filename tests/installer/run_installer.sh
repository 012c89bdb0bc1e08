#!/usr/bin/env bash
# The installer `make dist` builds, under Wine with a prefix and a Wine server of its own (the
# installer writes the machine's registry, and the last uninstall removes the user's settings,
# which the shared prefix's tests keep): a silent install into a folder of the test's choosing,
# its files, shortcuts and uninstall entry; the installed exe started from its shortcut shows
# its lobby window with the version; an upgrade built from the same script with a higher version
# replaces the program in place and keeps the user's settings and mods table; a silent uninstall
# removes everything but the settings; a second one with /REMOVESETTINGS removes them too.
# Arguments: wine-run, the Windows build tree, makensis (empty when missing), the NSIS script,
# the installer and the zip `make dist` builds, its staged files, the probe, the project version,
# a work directory (emptied first) and the prefix (kept between runs).
set -euo pipefail
wine_run=$1 build=$2 makensis=$3 script=$4 setup=$5 zip=$6 stage=$7 probe=$8 version=$9
work=${10} prefix=${11}
fail() {
    echo "installer: $*" >&2
    exit 1
}
if [ -z "$makensis" ] || [ ! -x "$makensis" ]; then
    echo "installer: skipped: makensis is missing (scripts/install-deps installs nsis)"
    exit 77
fi
# The installer from this tree as it is now.
cmake --build "$build" --target dist >"$work.build.log" 2>&1 || {
    cat "$work.build.log" >&2
    fail "make dist failed"
}
listing=$(cmake -E tar tf "$zip")
for file in Ardentis/Ardentis.exe Ardentis/mods.txt; do
    grep -qx "$file" <<<"$listing" || fail "the portable zip lacks $file"
done

# shellcheck source=scripts/wine-session.sh
source "$(dirname "$0")/../../scripts/wine-session.sh"
WINEPREFIX=$(realpath -m "$prefix")
export WINEPREFIX
# The shortcuts the installer makes are no business of the real desktop's menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
display_pid=
finish() {
    wine_session_end "$WINEPREFIX"
    stop_display
}
trap finish EXIT
if [ -z "${DISPLAY:-}" ]; then
    start_display || fail "the virtual X server did not start"
    export DISPLAY=$display
fi
wine_session_start "$wine_run" "$WINEPREFIX" || fail "no Wine in $WINEPREFIX"
rm -rf "$work"
mkdir -p "$work"

drive_c=$WINEPREFIX/drive_c
folder='C:\Games\Ardentis' dir=$drive_c/Games/Ardentis
start_menu_folder='C:\ProgramData\Microsoft\Windows\Start Menu\Programs'
start_menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Ardentis.lnk"
desktop=$drive_c/users/Public/Desktop/Ardentis.lnk
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ardentis'
settings='HKCU\Software\Morvane\Ardentis'
win() { "$wine_run" "$@" 2>>"$work/wine.log"; }
# values KEY: the key's values, a "NAME TYPE DATA" line each; nothing when there is no key.
values() { win reg query "$1" | tr -d '\r' || true; }
# field VALUES NAME: the data of a value among them, empty when there is none.
field() { awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }' <<<"$1"; }
value() { field "$(values "$1")" "$2"; }
# A run cut short leaves its install behind in the kept prefix.
win reg delete "$entry" /f >/dev/null || true
win reg delete "$settings" /f >/dev/null || true
rm -rf "$dir" "$start_menu" "$desktop"

install() { # SETUP [/D=FOLDER], which NSIS wants last
    win "$1" /S "${@:2}" || fail "$(basename "$1") /S failed"
}
# The quiet uninstall Windows would run. The uninstaller runs from a copy of itself, so the
# command returns at once; the entry goes last.
uninstall() { # [SWITCH]
    local quiet
    quiet=$(value "$entry" QuietUninstallString)
    [[ $quiet =~ ^\"(.+)\"\ (/S)$ ]] || fail "no quiet uninstall command: '$quiet'"
    win "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" "$@" || fail "the uninstaller failed"
    for _ in $(seq 100); do
        [ -e "$dir" ] || [ -n "$(value "$entry" DisplayName)" ] || return 0
        sleep 0.3
    done
    fail "the uninstall did not end: $(ls "$dir" 2>/dev/null) $(value "$entry" DisplayName)"
}
expect_installed() { # VERSION
    local name wanted found entry_values
    for file in "$dir/Ardentis.exe" "$dir/mods.txt" "$dir/uninstall.exe" "$start_menu" "$desktop"
    do
        [ -f "$file" ] || fail "$1: $file is missing"
    done
    entry_values=$(values "$entry")
    while read -r name wanted; do
        found=$(field "$entry_values" "$name")
        [ "$found" = "$wanted" ] || fail "$1: the entry's $name is '$found', not '$wanted'"
    done <<EOF_ENTRY
DisplayName Ardentis
DisplayVersion $1
Publisher Ardentis developers
DisplayIcon $folder\\Ardentis.exe,0
UninstallString "$folder\\uninstall.exe"
QuietUninstallString "$folder\\uninstall.exe" /S
NoModify 0x1
NoRepair 0x1
EOF_ENTRY
    local size kilobytes
    size=$(field "$entry_values" EstimatedSize)
    kilobytes=$(($(find "$dir" -type f -printf '%s+')0 >> 10))
    [ -n "$size" ] && [ $((size)) -ge $((kilobytes - 4)) ] && [ $((size)) -le $((kilobytes + 4)) ] ||
        fail "$1: EstimatedSize is '$size', the files take $kilobytes KB"
}
expect_uninstalled() {
    for file in "$dir" "$start_menu" "$desktop"; do
        [ ! -e "$file" ] || fail "$file is still there after the uninstall"
    done
}
set_option() { win reg add "$settings\\options" /v "$1" /t REG_SZ /d "$2" /f >/dev/null; }

install "$setup" "/D=$folder"
expect_installed "$version"
echo "installer: $version installed"
# Settings as the options window stores them: a loopback server, no game folder questions.
set_option host 127.0.0.1
set_option port 9
set_option checkfile 1
# Bounded: a shortcut to something else can leave the probe waiting on it.
timeout 60 "$wine_run" "$probe" "$start_menu_folder\\Ardentis.lnk" "Version:$version.0" \
    2>>"$work/wine.log" ||
    fail "the installed exe did not show its lobby window with its version"

# The upgrade carries a program that differs from the installed one, to tell them apart.
IFS=. read -r major minor _ <<<"$version"
next=$major.$((minor + 1)).0
cp "$stage/Ardentis.exe" "$work/Ardentis.exe"
printf 'upgraded' >>"$work/Ardentis.exe"
"$makensis" -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$next" -DEXE="$work/Ardentis.exe" \
    -DMODS="$stage/mods.txt" -DOUTFILE="$work/Ardentis-$next-setup.exe" "$script" ||
    fail "makensis failed for $next"
printf '17:My Mod;mymod.exe\r\n' >>"$dir/mods.txt"
install "$work/Ardentis-$next-setup.exe"
expect_installed "$next"
cmp -s "$work/Ardentis.exe" "$dir/Ardentis.exe" || fail "the upgrade did not replace Ardentis.exe"
grep -q '^17:My Mod;mymod.exe' "$dir/mods.txt" || fail "the upgrade lost the user's mods table"
[ "$(value "$settings\\options" host)" = 127.0.0.1 ] || fail "the upgrade lost the settings"
echo "installer: upgraded in place to $next"

# The client's log beside it, as a session with a server leaves it.
printf 'log\r\n' >"$dir/ardentisclient.log"
uninstall
expect_uninstalled
[ "$(value "$settings\\options" host)" = 127.0.0.1 ] || fail "the uninstall removed the settings"
echo "installer: uninstalled, the settings kept"

install "$setup" "/D=$folder"
uninstall /REMOVESETTINGS
expect_uninstalled
if win reg query "$settings" >/dev/null; then
    fail "the settings are still there after an uninstall with /REMOVESETTINGS"
fi
echo "installer: uninstalled with /REMOVESETTINGS, the settings gone"
