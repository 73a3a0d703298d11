#!/usr/bin/env bash
# The drive under a volume, on a real loop device: with its queue/rotational set to 0 (flash,
# as the flag is writable for loop devices) a folder run and a list run over 1,000 files each
# end with the flash line once, not per file, and exit 3; with the flag at 1 (rotating) the same
# runs say nothing of it and exit 0. The device chain the runs read is printed for each case.
#
# Usage: run_flash_assurance.sh PATH-OF-quorrel_device_facts PATH-OF-quorrel-shred
# Needs root and loop devices; otherwise exits 77.
set -euo pipefail

label="assurance flash"
source "$(dirname "${BASH_SOURCE[0]}")/assurance_lib.sh"

[[ $# -eq 2 ]] || { echo "usage: $0 PATH-OF-quorrel_device_facts PATH-OF-quorrel-shred" >&2; exit 2; }
facts=$1
shred=$2
[[ -x "$facts" && -x "$shred" ]] || fail "quorrel_device_facts or quorrel-shred not found"
need_mount_rights
need_file_system ext4
need_loop_devices

make_work_folder assurance-flash
# The runs here read the real devices: the harness's empty sysfs stands for none.
unset QUORREL_TEST_SYSFS_ROOT

loopdev=""
flash_cleanup() {
    local status=$?
    unmount_image lazy || true
    [[ -z $loopdev ]] || losetup -d "$loopdev" 2>/dev/null || true
    (exit "$status")
    cleanup
}
trap flash_cleanup EXIT

make_image 64M mkfs.ext4 -q -F
loopdev=$(losetup -f --show "$image") || fail "no loop device for the image"
rotational="/sys/block/$(basename "$loopdev")/queue/rotational"
[[ -w $rotational ]] || skip "$rotational cannot be written here"
mount "$loopdev" "$mnt" || fail "mount of $loopdev failed"
mountpoint -q "$mnt" || fail "$mnt is not a mount point"

make_files() {  # 1,000 files in $mnt/$1
    mkdir "$mnt/$1"
    local i
    for ((i = 1; i <= 1000; i++)); do
        echo "secret $i" >"$mnt/$1/file-$i"
    done
}

# Runs quorrel-shred with the arguments; the log goes to $work/run.log, the status to $status.
run() {
    status=0
    timeout 300 "$shred" --yes "$@" >"$work/run.log" 2>&1 </dev/null || status=$?
    grep -v '^Wipeing \|successfuly deleted' "$work/run.log" || true
    local deleted
    deleted=$(grep -c 'successfuly deleted' "$work/run.log" || true)
    (( deleted == 1000 )) || fail "$deleted files of 1000 were reported deleted"
}

flash_lines() { grep -c "is on a flash drive" "$work/run.log" || true; }

case_flash() {
    echo 0 >"$rotational"
    "$facts" "$mnt"
    make_files tree
    run --folder "$mnt/tree"
    [[ $status -eq 3 ]] || fail "a folder run on flash exited $status, not 3"
    [[ $(flash_lines) -eq 1 ]] || fail "a folder run on flash said it $(flash_lines) times"
    grep -q "^\* $mnt is on a flash drive: the drive may keep earlier copies" "$work/run.log" ||
        fail "the flash line does not name the volume"
    make_files list
    run "$mnt"/list/file-*
    [[ $status -eq 3 ]] || fail "a list run on flash exited $status, not 3"
    [[ $(flash_lines) -eq 1 ]] || fail "a list run on flash said it $(flash_lines) times"
    say "flash: one line per run over 1,000 files, exit 3"
}

case_rotating() {
    echo 1 >"$rotational"
    "$facts" "$mnt"
    make_files tree2
    run --folder "$mnt/tree2"
    [[ $status -eq 0 ]] || fail "a folder run on a rotating disk exited $status, not 0"
    [[ $(flash_lines) -eq 0 ]] || fail "a run on a rotating disk spoke of flash"
    say "rotating: no line, exit 0"
}

case_flash
case_rotating
say "passed"
