#!/usr/bin/env bash
# Proves on real file systems that quorrel-shred's outcome is honest:
#   ext4  an aborted file keeps its length, and a second run leaves no marker on the image;
#         a sparse file far larger than the volume, with data only at its end, is shredded
#         without filling the volume, and its data is gone;
#   btrfs a shredded file is removed, but the run says that old copies may remain and exits 3;
#   xfs   a file whose data is shared with a reflinked copy gets the shared-data line and
#         exit 3, and the copy keeps its contents.
#
# Usage: run_outcome_assurance.sh ext4|btrfs|xfs PATH-OF-quorrel-shred
# Needs root, mount rights and loop devices; without them it says why and exits 77 (skipped).
set -euo pipefail

fs=${1:?usage: $0 ext4|btrfs|xfs PATH-OF-quorrel-shred}
shred=${2:?usage: $0 ext4|btrfs|xfs PATH-OF-quorrel-shred}
label="outcome $fs"
case "$fs" in
    ext4 | btrfs | xfs) ;;
    *) echo "unknown file system $fs" >&2; exit 2 ;;
esac
source "$(dirname "${BASH_SOURCE[0]}")/assurance_lib.sh"

need_mount_rights
need_file_system "$fs"
[[ -x "$shred" ]] || fail "quorrel-shred not found at $shred"

make_work_folder "outcome-$fs"

token=$(new_token)
marker_lines() { count_in_image "QUORREL-MARKER-$token"; }
write_markers() { seq -f "QUORREL-MARKER-$token-%09.0f" 1 "$2" >"$1"; }

new_volume() {
    case "$fs" in
        ext4) make_image "$1" mkfs.ext4 -q -F ;;
        btrfs) make_image "$1" mkfs.btrfs -q -f ;;
        xfs) make_image "$1" mkfs.xfs -q -f -m reflink=1 ;;
    esac
    mount_image "$fs"
}
unmount() { unmount_synced; }

# Runs quorrel-shred, keeping its output in $work/run.log; sets `status`.
run() {
    status=0
    timeout --kill-after=10 300 "$shred" --yes --method 0 "$@" >"$work/run.log" 2>&1 </dev/null ||
        status=$?
}
expect_status() { [[ $status -eq $1 ]] || { cat "$work/run.log" >&2; fail "exit $status, not $1"; }; }
expect_line() { grep -qxF -- "$1" "$work/run.log" || { cat "$work/run.log" >&2; fail "no line '$1'"; }; }

# Unmounts the volume and fails when any marker line is left in its raw image.
expect_no_markers() {
    unmount
    local left
    left=$(marker_lines)
    [[ $left -eq 0 ]] || fail "$left marker lines left $1"
}

abort_then_rerun() {
    new_volume 512M
    local big="$mnt/secret.bin"
    write_markers "$big" 6000000  # about 200 MiB
    sync
    "$shred" --yes --method 1 "$big" >"$work/run.log" 2>&1 </dev/null &
    local pid=$!
    until grep -q "^Wipeing file" "$work/run.log"; do sleep 0.05; done
    sleep 0.5
    kill -INT "$pid"
    status=0
    wait "$pid" || status=$?
    expect_status 1
    expect_line "* Process is aborted deleteing file $big. This file is probably corupt now and cant be used normaly."
    [[ $(stat -c %s "$big") -gt 0 ]] || fail "the aborted file was cut short"
    run "$big"
    expect_status 0
    expect_line "File $big successfuly deleted "
    expect_no_markers "after an abort and a second run"
    say "abort, then a second run: 0 marker lines left"
}

sparse_beyond_the_volume() {
    new_volume 64M
    local sparse="$mnt/sparse.bin"
    truncate -s 1G "$sparse"
    write_markers "$work/tail" 20000
    dd if="$work/tail" of="$sparse" bs=1M seek=1000 conv=notrunc status=none
    run "$sparse"
    expect_status 0
    expect_line "File $sparse successfuly deleted "
    expect_no_markers "of the sparse file's data"
    say "a 1 GiB sparse file on a 64 MiB volume: shredded, its data gone"
}

copy_on_write() {
    new_volume 256M
    local secret="$mnt/secret.txt"
    write_markers "$secret" 20000
    unmount  # the marker on the medium first, as an old file's would be
    mount_image "$fs"
    run --verify "$secret"
    expect_status 3
    expect_line "* File $secret is on btrfs, which writes new data to new places: old copies of its contents may remain on the disk"
    expect_line "File $secret successfuly deleted "
    [[ ! -e "$secret" ]] || fail "$secret is still there"
    unmount
    say "btrfs: removed, warned, exit 3 (old copies left on the image: $(marker_lines) lines)"
}

reflinked_copy() {
    new_volume 320M
    local secret="$mnt/secret.txt" copy="$mnt/copy.txt"
    write_markers "$secret" 20000
    cp --reflink=always "$secret" "$copy" || skip "this xfs makes no reflinked copies"
    local sum
    sum=$(md5sum <"$copy")
    run "$secret"
    expect_status 3
    expect_line "* File $secret shares its data with another file: old copies of its contents may remain on the disk"
    [[ $(md5sum <"$copy") == "$sum" ]] || fail "the reflinked copy changed"
    unmount
    say "xfs reflink: warned, exit 3, the copy kept its contents"
}

case "$fs" in
    ext4) abort_then_rerun; sparse_beyond_the_volume ;;
    btrfs) copy_on_write ;;
    xfs) reflinked_copy ;;
esac
