#!/usr/bin/env bash
# Proves on a real file system that quorrel-shred --free-space destroys what was deleted before:
# a marker file and a folder of 50 small marker files are removed with a plain rm (the control:
# their lines are still in the raw image), the free space of the mount is wiped, and after
# unmounting the raw image holds no marker line, the free space is back as it was (within a few
# blocks) and no work folder is left. A second round cancels a run half way (SIGINT): no work
# folder is left and the free space is back. On ext4 and xfs a third round deletes 50 small
# files from a folder that stays and wipes the free space through that folder: no marker line
# may be left. On ext4 and xfs the run as root must log its TRIM. On ext4 a last round deletes
# a 24 MiB file and 50 small ones from a 320 MiB volume: the run tells the drive what is free
# (TRIM), which the loop device passes to the image as punched holes, and no marker line may be
# left, not even in the blocks ext4 keeps back for itself, which no file reaches. With
# QUORREL_TRIM_ROUNDS=N (ext4 or xfs, by hand: an xfs round takes minutes) only that round
# runs, N times.
#
# Usage: run_free_space_assurance.sh ext4|xfs|ntfs|fat PATH-OF-quorrel-shred
# Needs root, mount rights, loop devices (ext4, xfs) or FUSE (ntfs, fat); otherwise exits 77.
set -euo pipefail

fs=${1:?usage: $0 ext4|xfs|ntfs|fat PATH-OF-quorrel-shred}
shred=${2:?usage: $0 ext4|xfs|ntfs|fat PATH-OF-quorrel-shred}
label="free-space $fs"
case "$fs" in
    ext4 | xfs | ntfs | fat) ;;
    *) echo "unknown file system $fs" >&2; exit 2 ;;
esac
source "$(dirname "${BASH_SOURCE[0]}")/assurance_lib.sh"

need_mount_rights
need_file_system "$fs"
[[ -x "$shred" ]] || fail "quorrel-shred not found at $shred"

make_work_folder "free-space-$fs"

unmount() { sync; unmount_image lazy; }
make_fs() {
    case "$fs" in
        # The block size a real disk gets (mkfs.ext4 gives 1 KiB blocks to tiny volumes only).
        ext4) make_image 64M mkfs.ext4 -q -F -b 4096 ;;
        xfs) make_image 320M mkfs.xfs -q -f ;;  # mkfs.xfs wants 300 MiB
        ntfs) make_image 64M mkntfs -q -F -Q ;;
        fat) make_image 64M mkfs.fat ;;
    esac
}
mount_fs() { mount_image "$fs"; }
# syncfs first: xfs frees a removed file's blocks in the background, and syncfs waits for that.
free_blocks() { sync -f "$mnt"; stat -f -c '%f %S' "$mnt"; }
marker_lines() { count_in_image "QUORREL-MARKER-$token"; }

# Writes a file of marker lines (17,800 of them, or BYTES' worth) and 50 small ones, deletes
# them the ordinary way and checks that the raw image keeps marker lines: `left` says how many.
populate_and_remove() {
    token=$(new_token)
    local nLines=17800 line
    if [[ -n ${1:-} ]]; then
        line=$(printf 'QUORREL-MARKER-%s-0-%07d' "$token" 1)
        nLines=$(( $1 / (${#line} + 1) ))
    fi
    seq -f "QUORREL-MARKER-$token-0-%07.0f" 1 "$nLines" >"$mnt/secret.bin"
    mkdir "$mnt/notes"
    local i
    for ((i = 1; i <= 50; i++)); do
        seq -f "QUORREL-MARKER-$token-$i-%05.0f" 1 $((i * 3)) >"$mnt/notes/note-$i.txt"
    done
    unmount; mount_fs
    rm -rf -- "$mnt/secret.bin" "$mnt/notes"
    unmount
    left=$(marker_lines)
    (( left > 0 )) || fail "a plain rm left no marker line, so a clean image would prove nothing"
    say "a plain rm leaves $left marker lines in the raw image"
    mount_fs
}

check_back() {  # free space as before (within a few blocks), no work folder
    local before=$1 after slack=16
    # The files that clear old names from NTFS's index take file records; ntfs-3g extends its
    # MFT for them (in steps of 64 KiB) and an MFT never shrinks.
    [[ $fs != ntfs ]] || slack=48
    after=$(free_blocks | cut -d' ' -f1)
    (( after >= before - slack && after <= before + slack )) ||
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
    if [[ $fs == ext4 || $fs == xfs ]] && (( EUID == 0 )); then
        grep -q '^- The drive under .* was told that .* of its free space is free (TRIM)$' \
            "$work/run.log" || fail "the TRIM was not logged"
    fi
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

# Small files deleted from a folder the user names (the folder itself stays): --free-space DIR
# must reach them, not leave them with what the file system keeps back.
named_folder_round() {
    make_fs; mount_fs
    token=$(new_token)
    mkdir "$mnt/docs"
    local i
    for ((i = 1; i <= 50; i++)); do
        seq -f "QUORREL-MARKER-$token-$i-%05.0f" 1 $((i * 3)) >"$mnt/docs/note-$i.txt"
    done
    unmount; mount_fs
    rm -f -- "$mnt"/docs/note-*.txt
    unmount
    local left
    left=$(marker_lines)
    (( left > 0 )) || fail "a plain rm left no marker line, so a clean image would prove nothing"
    mount_fs
    local before status=0
    before=$(free_blocks | cut -d' ' -f1)
    timeout 300 "$shred" --yes --method 0 --free-space "$mnt/docs" >"$work/run.log" 2>&1 </dev/null || status=$?
    cat "$work/run.log"
    [[ $status -eq 0 || $status -eq 3 ]] || fail "quorrel-shred --free-space DIR exited $status"
    grep -q '^- End wiping free space of ' "$work/run.log" || fail "no end line"
    check_back "$before"
    unmount
    local after
    after=$(marker_lines)
    say "50 small files deleted from a named folder: $left marker lines after rm, $after after --free-space DIR (exit $status)"
    (( after == 0 )) || fail "what was deleted from the named folder survived wiping the free space of $fs"
}

trim_round() {
    case "$fs" in
        ext4) make_image 320M mkfs.ext4 -q -F -b 4096 ;;
        xfs) make_image 320M mkfs.xfs -q -f ;;
    esac
    mount_fs
    populate_and_remove $((24 * 1024 * 1024))
    local status=0
    timeout 300 "$shred" --yes --method 0 --free-space "$mnt" >"$work/run.log" 2>&1 </dev/null || status=$?
    grep -v '^Wipeing \|successfuly' "$work/run.log"
    [[ $status -eq 0 || $status -eq 3 ]] || fail "quorrel-shred --free-space exited $status"
    grep -q "^- The drive under $mnt was told that .* of its free space is free (TRIM)\$" "$work/run.log" ||
        fail "the TRIM was not logged"
    unmount
    local after held
    after=$(marker_lines)
    # The discards reached the image: its free blocks are holes now (the journal and what the
    # file system keeps stay), where without them every block the fill wrote stays allocated.
    held=$(( $(stat -c '%b * %B' "$image") / 1048576 ))
    say "24 MiB and 50 small files deleted: $left marker lines after rm, $after after --free-space with TRIM (exit $status); the 320 MiB image holds $held MiB of blocks"
    (( after == 0 )) || fail "marker data survived wiping and trimming the free space of $fs"
    (( held < 160 )) || fail "the TRIM did not reach the image: it holds $held MiB of blocks"
}

if [[ -n ${QUORREL_TRIM_ROUNDS:-} && ( $fs == ext4 || $fs == xfs ) ]]; then
    for ((round = 1; round <= QUORREL_TRIM_ROUNDS; round++)); do
        trim_round
    done
    say "passed"
    exit 0
fi
wipe_round
cancel_round
case "$fs" in
    ext4 | xfs) named_folder_round ;;
esac
[[ $fs != ext4 ]] || trim_round
say "passed"
