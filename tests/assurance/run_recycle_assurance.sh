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

readonly kExitSkip=77
readonly kLines=20000
say() { printf '[assurance recycle-bin] %s\n' "$*"; }
fail() { say "FAILED: $*" >&2; exit 1; }
skip() {
    [[ ${QUORREL_ASSURANCE_REQUIRED:-0} != 1 ]] || fail "cannot run, and QUORREL_ASSURANCE_REQUIRED=1: $*"
    say "SKIPPED: $*"
    exit "$kExitSkip"
}

[[ $# -eq 1 ]] || { echo "usage: $0 PATH-OF-quorrel-shred" >&2; exit 2; }
shred=$1
[[ -x "$shred" ]] || fail "quorrel-shred not found at $shred"
PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"

[[ $(id -u) -eq 0 ]] || skip "needs root to make and mount file systems (running as uid $(id -u))"
caps=$(awk '/^CapEff:/ { print $2 }' /proc/self/status 2>/dev/null || true)
[[ -n "$caps" ]] && (( (16#$caps >> 21) & 1 )) || skip "root here has no CAP_SYS_ADMIN, so nothing can be mounted"
for tool in mount umount mountpoint losetup mkfs.ext4; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[[ -e /dev/loop-control ]] || skip "no loop devices (/dev/loop-control is missing)"
losetup -f >/dev/null 2>&1 || skip "no free loop device (losetup -f failed)"
grep -qw ext4 /proc/filesystems || skip "the kernel has no ext4 support"

work=$(mktemp -d "${TMPDIR:-/tmp}/quorrel-assurance-recycle.XXXXXX")
image="$work/disk.img"
mnt="$work/mnt"
mkdir -p "$mnt" "$work/home/.config" "$work/home/.local/share"
# Nothing of this test may reach the real user's trash or settings.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export QUORREL_TEST_MOUNT_PREFIX="$mnt"

unmount() {
    if mountpoint -q "$mnt"; then
        umount "$mnt" || [[ ${1:-} != lazy ]] || umount -l "$mnt" || true
    fi
    ! mountpoint -q "$mnt"
}
cleanup() {
    local status=$?
    if ! unmount lazy; then
        say "could not unmount $mnt; leaving $work in place" >&2
        exit "$status"
    fi
    rm -rf --one-file-system "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

count_markers() {
    tr '\0' '\n' <"$image" | { LC_ALL=C grep -a -c -F "$token" || true; }
}

token=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
truncate -s 64M "$image"
mkfs.ext4 -q -F "$image" >"$work/mkfs.log" 2>&1 || { cat "$work/mkfs.log" >&2; fail "mkfs.ext4 failed"; }
mount -t ext4 -o loop "$image" "$mnt" || fail "mount -o loop failed"

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
umount "$mnt" || fail "could not unmount"
before=$(count_markers)
(( before > 0 )) || fail "the marker never reached the image; the test would prove nothing"
say "before shredding the image holds $before marker lines"
mount -t ext4 -o loop "$image" "$mnt" || fail "mount -o loop failed"

# No --yes and no terminal: the run must still go, as it asks no question.
status=0
timeout --kill-after=10 120 "$shred" --method 0 --recycle-bin >"$work/run.log" 2>"$work/run.err" \
    </dev/null || status=$?
cat "$work/run.log"
[[ $status -eq 0 ]] || { cat "$work/run.err" >&2; fail "quorrel-shred --recycle-bin exited with $status"; }
file="$trash/files/secret.txt"
grep -qxF "Shredding resycle bin file $file" "$work/run.log" || fail "the trashed file was not shredded"
grep -qxF "File $file successfuly shreded frm recykle bin " "$work/run.log" || fail "no success line"
[[ -z $(ls -A "$trash/files") && -z $(ls -A "$trash/info") ]] || fail "the trash was not emptied"

sync
umount "$mnt" || fail "could not unmount"
after=$(count_markers)
say "after shredding the image holds $after marker lines"
(( after == 0 )) || fail "marker data survived WIPE Recycle Bin on ext4"
say "passed"
