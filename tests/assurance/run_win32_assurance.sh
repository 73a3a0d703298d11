#!/usr/bin/env bash
# Proves that quorrel-shred.exe, the 32-bit Windows build run under Wine, destroys files in
# place on a real disk: a loop-mounted ext4 image is given to Wine as drive M:, a marker file
# and a folder of marker files on it are shredded (method 1), and a marker file removed before
# with a plain rm is reached by --free-space. After unmounting, the raw image holds no marker
# line.
#
# Usage: run_win32_assurance.sh PATH-OF-quorrel-shred.exe WINE-PREFIX
# Needs root, mount rights, loop devices and Wine; otherwise exits 77.
set -euo pipefail

shred=${1:?usage: $0 PATH-OF-quorrel-shred.exe WINE-PREFIX}
export WINEPREFIX=${2:?usage: $0 PATH-OF-quorrel-shred.exe WINE-PREFIX}
export WINEDEBUG=-all
label="win32 ext4"
source "$(dirname "${BASH_SOURCE[0]}")/assurance_lib.sh"

need_mount_rights
need_file_system ext4
need_tool wine
[[ -f "$shred" ]] || fail "quorrel-shred.exe not found at $shred"
[[ -d "$WINEPREFIX/dosdevices" ]] || fail "no Wine prefix at $WINEPREFIX"

make_work_folder win32
drive="$WINEPREFIX/dosdevices/m:"
trap 'rm -f "$drive"; cleanup' EXIT
make_image 64M mkfs.ext4 -q -F -b 4096
mount_image ext4
rm -f "$drive"
ln -s "$mnt" "$drive"

token=$(new_token)
seq -f "QUORREL-MARKER-$token-0-%07.0f" 1 40000 >"$mnt/secret.txt"
mkdir "$mnt/notes"
for ((i = 1; i <= 20; i++)); do
    seq -f "QUORREL-MARKER-$token-$i-%05.0f" 1 $((i * 20)) >"$mnt/notes/note-$i.txt"
done
seq -f "QUORREL-MARKER-$token-rm-%07.0f" 1 20000 >"$mnt/removed.txt"
unmount_synced; mount_image ext4
rm -f "$mnt/removed.txt"
unmount_synced
(( $(count_in_image "QUORREL-MARKER-$token") > 0 )) || fail "no marker line in the image to begin with"
mount_image ext4

run() {
    say "quorrel-shred.exe $*"
    wine "$shred" --yes "$@" </dev/null >"$work/run.log" 2>&1 || { cat "$work/run.log" >&2; fail "exit $? for $*"; }
    cat "$work/run.log"
}
run --method 1 'M:\secret.txt'
run --method 1 --folder 'M:\notes'
run --method 0 --free-space 'M:\'
[[ -z "$(ls -A "$mnt" | grep -v '^lost+found$' || true)" ]] || fail "left on the volume: $(ls -A "$mnt")"

unmount_synced
left=$(count_in_image "QUORREL-MARKER-$token")
(( left == 0 )) || fail "$left marker lines are still in the raw image"
say "no marker line is left in the raw image"
