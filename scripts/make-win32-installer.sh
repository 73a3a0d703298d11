#!/usr/bin/env bash
# Makes the Windows installer (NSIS) and the portable zip of the folder `cmake --install` laid
# out for 32-bit Windows: OUT/quorrel-VERSION-win32-setup.exe and OUT/quorrel-VERSION-win32.zip
# (the folder as quorrel-VERSION-win32/). The installer adds and removes the folder's files one
# by one, so that its uninstaller takes away exactly what it put there.
# Usage: scripts/make-win32-installer.sh DEPLOY-FOLDER OUT-FOLDER VERSION
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
deploy=$(realpath "${1:?usage: $0 DEPLOY-FOLDER OUT-FOLDER VERSION}")
out=$(realpath -m "${2:?usage: $0 DEPLOY-FOLDER OUT-FOLDER VERSION}")
version=${3:?usage: $0 DEPLOY-FOLDER OUT-FOLDER VERSION}
[[ -f $deploy/quorrel.exe && -f $deploy/quorrel-shred.exe ]] || {
    echo "make-win32-installer: $deploy holds no quorrel.exe and quorrel-shred.exe" >&2
    exit 1
}
mkdir -p "$out"
lists=$(mktemp -d)
trap 'rm -rf "$lists"' EXIT

# Windows paths of the folder's files and folders, relative to it.
win() { printf '%s' "${1//\//\\}"; }
(
    cd "$deploy"
    find . -mindepth 1 -type d | sed 's|^\./||' | LC_ALL=C sort >"$lists/dirs"
    find . -type f | sed 's|^\./||' | LC_ALL=C sort >"$lists/files"
)
{
    while IFS= read -r dir; do
        echo "CreateDirectory \"\$INSTDIR\\$(win "$dir")\""
    done <"$lists/dirs"
    while IFS= read -r file; do
        echo "File \"/oname=$(win "$file")\" \"$deploy/$file\""
    done <"$lists/files"
} >"$lists/files.nsh"
{
    while IFS= read -r file; do
        echo "Delete \"\$INSTDIR\\$(win "$file")\""
    done <"$lists/files"
    # Deepest folders first, each only when empty.
    LC_ALL=C sort -r "$lists/dirs" | while IFS= read -r dir; do
        echo "RMDir \"\$INSTDIR\\$(win "$dir")\""
    done
} >"$lists/unfiles.nsh"

setup=$out/quorrel-$version-win32-setup.exe
makensis -V2 -NOCD -DVERSION="$version" -DDEPLOY="$deploy" -DOUTFILE="$setup" \
    -DFILES="$lists/files.nsh" -DUNFILES="$lists/unfiles.nsh" "$repo/res/windows/quorrel.nsi"

zip_name=quorrel-$version-win32
rm -rf "$lists/$zip_name" "$out/$zip_name.zip"
cp -a "$deploy" "$lists/$zip_name"
(cd "$lists" && zip -q -r -9 -X "$out/$zip_name.zip" "$zip_name")
echo "$setup"
echo "$out/$zip_name.zip"
