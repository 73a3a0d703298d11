#!/usr/bin/env bash
# Proves that quorrel-shred.exe, the 32-bit Windows build run under Wine, destroys files in
# place on a real disk: a loop-mounted ext4 image is given to Wine as drive M:, a marker file
# and a folder of marker files on it are shredded (method 1), and a marker file removed before
# with a plain rm is reached by --free-space. After unmounting, the raw image holds no marker
# line. A link to a folder outside a tree (which Wine shows as a reparse point) is never
# followed: what it points at keeps its contents. (Wine cannot remove such a link, so that run
# names it and ends in failure.) Ctrl-C cancels a run. --verify says its read-back came from
# the cache. A recycle bin that Wine's shell does not empty keeps its entry, overwritten, and
# the run names it and fails.
#
# Usage: run_win32_assurance.sh PATH-OF-quorrel-shred.exe WINE-PREFIX
# Needs root, mount rights, loop devices and Wine; otherwise exits 77.
set -euo pipefail

shred=${1:?usage: $0 PATH-OF-quorrel-shred.exe WINE-PREFIX}
source "$(dirname "${BASH_SOURCE[0]}")/../harness/wine_env.sh" \
    "${2:?usage: $0 PATH-OF-quorrel-shred.exe WINE-PREFIX}"
label="win32 ext4"
source "$(dirname "${BASH_SOURCE[0]}")/assurance_lib.sh"

need_mount_rights
need_file_system ext4
need_tool wine
[[ -f "$shred" ]] || fail "quorrel-shred.exe not found at $shred"
[[ -d "$WINEPREFIX/dosdevices" ]] || fail "no Wine prefix at $WINEPREFIX"

make_work_folder win32
drive="$WINEPREFIX/dosdevices/m:"
# The drive goes first; cleanup then sees the script's own exit status.
forget_drive() {
    local status=$?
    rm -f "$drive"
    set +e  # under -e the subshell's failing status would end the trap before the unmount
    (exit "$status")
    cleanup
}
trap forget_drive EXIT
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
mkdir "$work/outside" "$mnt/linked"
echo precious >"$work/outside/keep.txt"
ln -s "$work/outside" "$mnt/linked/dirlink"
unmount_synced; mount_image ext4
rm -f "$mnt/removed.txt"
unmount_synced
(( $(count_in_image "QUORREL-MARKER-$token") > 0 )) || fail "no marker line in the image to begin with"
mount_image ext4
# ext4 keeps 2% of its blocks (up to 16 MiB) out of reach of every file's writes; which blocks
# stay free is the allocator's choice, and Wine tells that reserve as no free space at all, so
# the Windows build can neither reach nor name it. A Windows disk keeps no such reserve: the
# image is given none either.
echo 0 >"/sys/fs/ext4/$(basename "$(findmnt -n -o SOURCE "$mnt")")/reserved_clusters" ||
    fail "the image's reserve could not be given up"

run() {
    say "quorrel-shred.exe $*"
    local status=0
    wine "$shred" --yes "$@" </dev/null >"$work/run.log" 2>&1 || status=$?
    [[ $status -eq ${expected:-0} ]] || { cat "$work/run.log" >&2; fail "exit $status for $*"; }
    cat "$work/run.log"
}
run --method 1 'M:\secret.txt'
# A name outside any code page arrives whole from the wide command line and is logged as UTF-8
# when the output is redirected.
name='Größe-日本-Ωmega.txt'
echo "QUORREL-MARKER-$token-name" >"$mnt/$name"
run --method 0 "M:\\$name"
grep -qF "File M:\\$name successfuly deleted" "$work/run.log" || fail "the name was not logged whole"
[[ ! -e "$mnt/$name" ]] || fail "$name is still there"
run --method 1 --folder 'M:\notes'
[[ ! -e "$mnt/notes" ]] || fail "the folder run left $(ls -A "$mnt/notes")"
expected=1 run --method 1 --folder 'M:\linked'
[[ "$(cat "$work/outside/keep.txt")" == precious && "$(ls -A "$work/outside")" == keep.txt ]] ||
    fail "the folder run followed the link out of its tree"
grep -qF '* M:\linked\dirlink is a link, and this system would act on what it leads to' "$work/run.log" ||
    fail "the link left was not named"
rm -rf "$mnt/linked"
# Ctrl-C (Wine turns SIGINT into the console's Ctrl-C event) is Cancel: the abort line, exit 1,
# and the file keeps its full length at its path for a later run.
head -c 24M /dev/zero >"$mnt/big.bin"
wine "$shred" --yes --method 3 'M:\big.bin' </dev/null >"$work/run.log" 2>&1 &
shred_pid=$!
for ((waited = 0; waited < 200; waited++)); do  # until the passes have begun
    grep -qF 'Wipeing file M:\big.bin' "$work/run.log" && break
    sleep 0.1
done
kill -INT "$shred_pid"
status=0
wait "$shred_pid" || status=$?
cat "$work/run.log"
[[ $status -eq 1 ]] || fail "Ctrl-C: exit $status"
grep -qF '* Process is aborted deleteing file M:\big.bin.' "$work/run.log" || fail "Ctrl-C: no abort line"
[[ $(stat -c %s "$mnt/big.bin") -eq $((24 * 1024 * 1024)) ]] || fail "Ctrl-C: the file lost its length"
rm -f "$mnt/big.bin"
# --verify: the file is held with share mode 0, so its read-back can only come from the
# system's cache, and the run says so.
seq -f "QUORREL-MARKER-$token-v-%07.0f" 1 2000 >"$mnt/verified.txt"
run --method 1 --verify 'M:\verified.txt'
grep -qF '* File M:\verified.txt read back as written, but from the system'"'"'s cache' "$work/run.log" ||
    fail "--verify did not say its read-back came from the cache"
# The recycle bin, on drive C: of the prefix (Wine lists a drive added after its server started,
# such as M:, as no drive at all): Wine's shell empties the host's trash (here the work
# folder's own home), not the drive's bin, so the entry stays there after the emptying:
# overwritten in place, named in a line of its own, and the run fails.
rm -rf "$WINEPREFIX/drive_c/\$Recycle.Bin"
expected=0 run --method 0 --recycle-bin
sid=$(tr -d '\r' <"$work/run.log" |
    sed -n 's/^\* Error: Could not access C:\\\$Recycle\.Bin\\\(S-[0-9-]*\)\\$/\1/p')
[[ -n "$sid" ]] || fail "no bin folder named for drive C:"
bin="C:\\\$Recycle.Bin\\$sid\\" bin_dir="$WINEPREFIX/drive_c/\$Recycle.Bin/$sid"
mkdir -p "$bin_dir"
seq -f "QUORREL-MARKER-$token-bin-%07.0f" 1 2000 >"$bin_dir/\$RQUORREL.txt"
printf 'index' >"$bin_dir/\$IQUORREL.txt"
expected=1 run --method 0 --recycle-bin
grep -qF "* ${bin}\$RQUORREL.txt is still in the recycle bin after emptying" "$work/run.log" ||
    fail "the entry the emptying left was not named"
[[ $(stat -c %s "$bin_dir/\$RQUORREL.txt") -gt 0 && -z "$(tr -d '\0' <"$bin_dir/\$RQUORREL.txt")" ]] ||
    fail "the bin entry was not overwritten in place"
rm -rf "$WINEPREFIX/drive_c/\$Recycle.Bin"
# This backend does not read the size of an NTFS journal: the run says so and exits 3.
expected=3 run --method 0 --free-space 'M:\'
grep -q "^\* The journal of .* could not be cleared" "$work/run.log" ||
    fail "no line says the journal was not cleared"
[[ -z "$(ls -A "$mnt" | grep -v '^lost+found$' || true)" ]] || fail "left on the volume: $(ls -A "$mnt")"

unmount_synced
left=$(count_in_image "QUORREL-MARKER-$token")
(( left == 0 )) || fail "$left marker lines are still in the raw image"
say "no marker line is left in the raw image"
