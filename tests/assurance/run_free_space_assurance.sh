#!/usr/bin/env bash
# Proves on a real file system that quorrel-shred --free-space destroys what was deleted before:
# a marker file and a folder of 50 small marker files are removed with a plain rm (the control:
# their lines are still in the raw image), the free space of the mount is wiped, and after
# unmounting the raw image holds no marker line, the free space is back as it was (within a few
# blocks) and no work folder is left. A second round cancels a run half way (SIGINT): no work
# folder is left and the free space is back.
#
# Usage: run_free_space_assurance.sh ext4|xfs|ntfs|fat PATH-OF-quorrel-shred
# Needs root, mount rights, loop devices (ext4, xfs) or FUSE (ntfs, fat); otherwise exits 77.
set -euo pipefail

readonly kExitSkip=77
fs=${1:?usage: $0 ext4|xfs|ntfs|fat PATH-OF-quorrel-shred}
shred=${2:?usage: $0 ext4|xfs|ntfs|fat PATH-OF-quorrel-shred}
PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"

say() { printf '[free-space %s] %s\n' "$fs" "$*"; }
fail() { say "FAILED: $*" >&2; exit 1; }
skip() {
    [[ ${QUORREL_ASSURANCE_REQUIRED:-0} != 1 ]] || fail "cannot run, and QUORREL_ASSURANCE_REQUIRED=1: $*"
    say "SKIPPED: $*"
    exit "$kExitSkip"
}

[[ $(id -u) -eq 0 ]] || skip "needs root to make and mount file systems"
caps=$(awk '/^CapEff:/ { print $2 }' /proc/self/status)
(( (16#$caps >> 21) & 1 )) || skip "root here has no CAP_SYS_ADMIN"
case "$fs" in
    ext4 | xfs)
        command -v "mkfs.$fs" >/dev/null || skip "mkfs.$fs is not installed"
        [[ -e /dev/loop-control ]] && losetup -f >/dev/null 2>&1 || skip "no free loop device" ;;
    ntfs) command -v ntfs-3g >/dev/null && command -v mkntfs >/dev/null || skip "ntfs-3g is not installed"
          [[ -c /dev/fuse ]] || skip "no FUSE" ;;
    fat) command -v fusefat >/dev/null && command -v mkfs.fat >/dev/null || skip "fusefat is not installed"
         [[ -c /dev/fuse ]] || skip "no FUSE" ;;
    *) echo "unknown file system $fs" >&2; exit 2 ;;
esac
[[ -x "$shred" ]] || fail "quorrel-shred not found at $shred"

work=$(mktemp -d "${TMPDIR:-/tmp}/quorrel-free-space-$fs.XXXXXX")
image="$work/disk.img"
mnt="$work/mnt"
daemon=""
mkdir -p "$mnt" "$work/home"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local"

unmount() {
    sync
    if mountpoint -q "$mnt"; then umount "$mnt" || umount -l "$mnt"; fi
    if [[ -n "$daemon" ]]; then
        for _ in $(seq 1 100); do kill -0 "$daemon" 2>/dev/null || break; sleep 0.1; done
        wait "$daemon" 2>/dev/null || true
        daemon=""
    fi
}
cleanup() {
    local status=$?
    unmount || true
    rm -rf --one-file-system "$work"
    exit "$status"
}
trap cleanup EXIT

make_fs() {
    rm -f "$image"
    case "$fs" in
        # The block size a real disk gets (mkfs.ext4 gives 1 KiB blocks to tiny volumes only).
        ext4) truncate -s 64M "$image"; mkfs.ext4 -q -F -b 4096 "$image" ;;
        xfs) truncate -s 320M "$image"; mkfs.xfs -q -f "$image" ;;  # mkfs.xfs wants 300 MiB
        ntfs) truncate -s 64M "$image"; mkntfs -q -F -Q "$image" ;;
        fat) truncate -s 64M "$image"; mkfs.fat "$image" ;;
    esac >"$work/mkfs.log" 2>&1 || { cat "$work/mkfs.log" >&2; fail "could not make the file system"; }
}
mount_fs() {
    case "$fs" in
        ext4 | xfs) mount -t "$fs" -o loop "$image" "$mnt" ;;
        ntfs) ntfs-3g -o no_detach "$image" "$mnt" >"$work/daemon.log" 2>&1 & daemon=$! ;;
        fat) fusefat -f -o rw+ "$image" "$mnt" >/dev/null 2>&1 & daemon=$! ;;
    esac
    for _ in $(seq 1 200); do mountpoint -q "$mnt" && return 0; sleep 0.1; done
    fail "the $fs mount did not appear"
}
# syncfs first: xfs frees a removed file's blocks in the background, and syncfs waits for that.
free_blocks() { sync -f "$mnt"; stat -f -c '%f %S' "$mnt"; }
marker_lines() { tr '\0' '\n' <"$image" | { LC_ALL=C grep -a -c -F "QUORREL-MARKER-$token" || true; }; }

populate_and_remove() {
    token=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    seq -f "QUORREL-MARKER-$token-0-%07.0f" 1 17800 >"$mnt/secret.bin"
    mkdir "$mnt/notes"
    local i
    for ((i = 1; i <= 50; i++)); do
        seq -f "QUORREL-MARKER-$token-$i-%05.0f" 1 $((i * 3)) >"$mnt/notes/note-$i.txt"
    done
    unmount; mount_fs
    rm -rf -- "$mnt/secret.bin" "$mnt/notes"
    unmount
    local left
    left=$(marker_lines)
    (( left > 0 )) || fail "a plain rm left no marker line, so a clean image would prove nothing"
    say "a plain rm leaves $left marker lines in the raw image"
    mount_fs
}

check_back() {  # free space as before (within a few blocks), no work folder
    local before=$1 after
    after=$(free_blocks | cut -d' ' -f1)
    (( after >= before - 16 && after <= before + 16 )) ||
        fail "free blocks $after after the run, $before before"
    [[ ! -e "$mnt/.quorrel-free-space" ]] || fail "the work folder was left behind"
}

wipe_round() {
    make_fs; mount_fs; populate_and_remove
    local before status=0
    before=$(free_blocks | cut -d' ' -f1)
    local start=$SECONDS
    timeout 300 "$shred" --yes --method 0 --free-space "$mnt" >"$work/run.log" 2>&1 </dev/null || status=$?
    cat "$work/run.log"
    [[ $status -eq 0 || $status -eq 3 ]] || fail "quorrel-shred --free-space exited $status"
    grep -q '^- End wiping free space of ' "$work/run.log" || fail "no end line"
    check_back "$before"
    unmount
    local left
    left=$(marker_lines)
    say "after --free-space (exit $status, $((SECONDS - start))s) the raw image holds $left marker lines"
    (( left == 0 )) || fail "marker data survived wiping the free space of $fs"
}

cancel_round() {
    make_fs; mount_fs
    local before
    before=$(free_blocks | cut -d' ' -f1)
    "$shred" --yes --method 3 --free-space "$mnt" >"$work/cancel.log" 2>&1 </dev/null &
    local pid=$! used=0
    # Half way: once half of the free space is taken by the fill.
    for _ in $(seq 1 600); do
        used=$(( before - $(stat -f -c %f "$mnt") ))
        (( used * 2 >= before )) && break
        sleep 0.1
    done
    kill -INT "$pid"
    local status=0
    wait "$pid" || status=$?
    cat "$work/cancel.log"
    [[ $status -eq 1 ]] || fail "a cancelled run exited $status, not 1"
    grep -q '^\* Wiping free space of .* is aborted' "$work/cancel.log" || fail "no abort line"
    check_back "$before"
    say "cancelled half way: work folder gone, free space back"
    unmount
}

wipe_round
cancel_round
say "passed"
