#!/usr/bin/env bash
# The Windows installer's round trip under Wine: installs silently (/S), checks the files, the
# Start-menu shortcuts and every registry key it writes, shreds a file with the installed
# quorrel-shred.exe, uninstalls silently, and checks that the program's folder, the shortcuts
# and the keys are gone and Program Files, ProgramData and the registry's keys are as before.
#
# Usage: run_installer_test.sh SETUP.EXE VERSION WINE-PREFIX
set -euo pipefail

setup=${1:?usage: $0 SETUP.EXE VERSION WINE-PREFIX}
version=${2:?usage: $0 SETUP.EXE VERSION WINE-PREFIX}
source "$(dirname "${BASH_SOURCE[0]}")/../harness/wine_env.sh" "${3:?usage: $0 SETUP.EXE VERSION WINE-PREFIX}"

# Wine's menu builder would mirror the Start menu into the prefix's home and note that in the
# registry: Wine's bookkeeping, not the installer's.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

fail() { echo "installer test: $*" >&2; exit 1; }
say() { echo "installer test: $*"; }
[[ -f $setup ]] || fail "no installer at $setup"

c=$WINEPREFIX/drive_c
dir=$c/Program\ Files/Quorrel
menu=$c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Quorrel
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorrel'
file_key='HKCR\*\shell\Quorrel'
folder_key='HKCR\Directory\shell\Quorrel'
work=$(mktemp -d "$c/installer-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

# What a key holds, as `reg query /s` prints it (nothing when it is missing).
keys() {
    local key
    for key in "$file_key" "$folder_key" "$uninstall_key"; do
        timeout 60 wine reg query "$key" /s </dev/null 2>/dev/null | tr -d '\r' |
            sed -e '/^$/d' -e '/^reg: /d' || true
    done
}
# The state the installer may change: the files under Program Files and ProgramData, and the
# keys of the classes, the machine's software and the user's software, exported whole but for
# Wine's own.
state() {
    (cd "$c" && find "Program Files" ProgramData | LC_ALL=C sort)
    local key
    for key in HKCR 'HKLM\Software' 'HKCU\Software'; do
        rm -f "$work/export.reg"
        timeout 120 wine reg export "$key" 'C:\'"$(basename "$work")"'\export.reg' </dev/null >/dev/null 2>&1 ||
            fail "reg export $key failed"
        # Wine's own keys (fonts, display metrics, menus) change with every program run.
        iconv -f UTF-16LE -t UTF-8 "$work/export.reg" | tr -d '\r' |
            awk '/^\[/ { wine = index($0, "\\Software\\Wine") > 0 } !wine' | LC_ALL=C sort
    done
}

[[ ! -e $dir ]] || fail "Quorrel is installed in the prefix already"
state >"$work/before"
say "keys before installing:"
keys | sed 's/^/    /'

timeout 300 wine "$setup" /S </dev/null || fail "the silent install failed"
for file in quorrel.exe quorrel-shred.exe Qt5Core.dll Qt5Gui.dll Qt5Widgets.dll \
            platforms/qwindows.dll styles/qwindowsvistastyle.dll libstdc++-6.dll \
            libgcc_s_dw2-1.dll libwinpthread-1.dll tips.txt help/index.html uninstall.exe; do
    [[ -f $dir/$file ]] || fail "not installed: $file"
done
[[ -f $menu/Quorrel.lnk && -f "$menu/Uninstall Quorrel.lnk" ]] || fail "no Start-menu shortcuts"
say "keys after installing:"
keys | tee "$work/keys" | sed 's/^/    /'
expect() { grep -qF -- "$1" "$work/keys" || fail "no registry value: $1"; }
expect "Add to Quorrel's list"
expect '"C:\Program Files\Quorrel\quorrel.exe" "%1"'
expect "DisplayName    REG_SZ    Quorrel $version"
expect 'QuietUninstallString    REG_SZ    "C:\Program Files\Quorrel\uninstall.exe" /S'
(( $(grep -c "Add to Quorrel's list" "$work/keys") == 2 )) || fail "the menu entry is not there for files and folders"

# The installed program at work, from its own folder.
seq 1 5000 >"$work/victim.txt"
status=0
timeout 120 wine "C:\\Program Files\\Quorrel\\quorrel-shred.exe" --yes \
    "C:\\$(basename "$work")\\victim.txt" </dev/null >"$work/run.log" 2>&1 || status=$?
tr -d '\r' <"$work/run.log" | sed 's/^/    /'
[[ $status -eq 0 && ! -e $work/victim.txt ]] || fail "the installed quorrel-shred.exe did not shred (exit $status)"
grep -qF "successfuly deleted" "$work/run.log" || fail "no success line from the installed program"

# The uninstaller copies itself away and returns at once: wait until the folder, the shortcuts
# and the keys are gone, or a minute has passed.
timeout 60 wine "C:\\Program Files\\Quorrel\\uninstall.exe" /S </dev/null || fail "the silent uninstall failed"
for ((waited = 0; waited < 120; waited++)); do
    [[ -e $dir || -e $menu || -n "$(keys)" ]] || break
    sleep 0.5
done
[[ ! -e $dir ]] || fail "left in the program's folder: $(cd "$dir" && find . -mindepth 1)"
[[ ! -e $menu ]] || fail "the Start-menu folder is left"
say "keys after uninstalling:"
keys | tee "$work/keys" | sed 's/^/    /'
[[ ! -s $work/keys ]] || fail "registry keys left"
state >"$work/after"
diff -u "$work/before" "$work/after" || fail "the uninstall left the prefix changed (above)"
say "installed, used and uninstalled: nothing is left"
