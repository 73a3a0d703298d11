#!/usr/bin/env bash
# Proves on a real ext4 volume that WIPE Recycle Bin leaves nothing of a trashed file on the disk.
#
# Usage: run_recycle_assurance.sh PATH-OF-quorrel-shred
#
# A fresh loop-mounted image gets a file full of a marker drawn for this run, moved into the
# volume's trash the way a file manager does it ($topdir/.Trash-$uid/files/ plus its .trashinfo).
# The image is unmounted and read raw to make sure the marker reached the disk, mounted again,
# and `quorrel-shred --recycle-bin` runs with a temporary home and only this volume in sight
# (QUORREL_TEST_MOUNT_PREFIX): it must ask nothing, shred the entry and empty the trash. After
# unmounting, the raw image must hold no copy of the marker. Needs root, mount rights and loop
# devices; without them it says why and exits 77 (skipped).
set -euo pipefail

readonly kLines=20000
label="assurance recycle-bin"
source "$(dirname "${BASH_SOURCE[0]}")/assurance_lib.sh"

[[ $# -eq 1 ]] || { echo "usage: $0 PATH-OF-quorrel-shred" >&2; exit 2; }
shred=$1
[[ -x "$shred" ]] || fail "quorrel-shred not found at $shred"
need_mount_rights
need_file_system ext4

# Nothing of this test may reach the real user's trash or settings: the home is in the work
# folder, and the only volume in sight (QUORREL_TEST_MOUNT_PREFIX) is the image.
make_work_folder assurance-recycle

count_markers() { count_in_image "$token"; }

token=$(new_token)
make_image 64M mkfs.ext4 -q -F
mount_image ext4

# A file manager makes $topdir/.Trash-$uid with files/ and info/, renames the file into files/
# (same volume: the data blocks stay where they are) and writes its .trashinfo.
mkdir -p "$mnt/documents"
seq -f "QUORREL-MARKER-$token-%07.0f" 1 "$kLines" >"$mnt/documents/secret.txt"
sync
trash="$mnt/.Trash-$(id -u)"
mkdir -p -m 700 "$trash/files" "$trash/info"
mv "$mnt/documents/secret.txt" "$trash/files/secret.txt"
printf '[Trash Info]\nPath=%s\nDeletionDate=%s\n' "$mnt/documents/secret.txt" \
    "$(date +%Y-%m-%dT%H:%M:%S)" >"$trash/info/secret.txt.trashinfo"
sync
unmount_synced
before=$(count_markers)
(( before > 0 )) || fail "the marker never reached the image; the test would prove nothing"
say "before shredding the image holds $before marker lines"
mount_image ext4

status=0
timeout --kill-after=10 120 "$shred" --method 0 --yes --recycle-bin >"$work/run.log" 2>"$work/run.err" \
    </dev/null || status=$?
cat "$work/run.log"
[[ $status -eq 0 ]] || { cat "$work/run.err" >&2; fail "quorrel-shred --recycle-bin exited with $status"; }
file="$trash/files/secret.txt"
grep -qxF "Shredding resycle bin file $file" "$work/run.log" || fail "the trashed file was not shredded"
grep -qxF "File $file successfuly shreded frm recykle bin " "$work/run.log" || fail "no success line"
[[ -z $(ls -A "$trash/files") && -z $(ls -A "$trash/info") ]] || fail "the trash was not emptied"

unmount_synced
after=$(count_markers)
say "after shredding the image holds $after marker lines"
(( after == 0 )) || fail "marker data survived WIPE Recycle Bin on ext4"
say "passed"
