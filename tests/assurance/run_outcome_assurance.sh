#!/usr/bin/env bash
# Proves on real file systems that quorrel-shred's outcome is honest:
#   ext4  an aborted file keeps its length, and a second run leaves no marker on the image;
#         a sparse file far larger than the volume, with data only at its end, is shredded
#         without filling the volume, and its data is gone; on an overlay over the volume, a
#         file of the lower layer is removed without being copied up, and one copied up has its
#         copy overwritten, each with the line that its first copy stays below, and exit 3;
#         with data=journal, and for a file whose data lives in its inode (inline data), the
#         line that copies remain in the journal, and exit 3;
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
# The overlay and its upper layer's tmpfs go first on every way out.
trap 'status=$?; unmount_overlay; set +e; (exit $status); cleanup' EXIT

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

# Marker lines in the file `$1` (a layer's file, read through the volume, not the overlay).
markers_in() { { LC_ALL=C grep -a -c -F -- "QUORREL-MARKER-$token" "$1" || true; }; }

# An overlay whose lower layer is a folder of the volume and whose upper layer lies on a small
# tmpfs of its own, too small to take a copy of the lower layer's big file: a run that copies it
# up fails there. Both mounts are checked before anything is written through them.
mount_overlay() {
    merged="$work/merged" upperfs="$work/upperfs"
    mkdir -p "$merged" "$upperfs"
    mount -t tmpfs -o size=256k tmpfs "$upperfs" || fail "could not mount a tmpfs for the upper layer"
    mountpoint -q "$upperfs" || fail "no tmpfs at $upperfs"
    mkdir "$upperfs/upper" "$upperfs/work"
    mount -t overlay overlay -o "lowerdir=$mnt/lower,upperdir=$upperfs/upper,workdir=$upperfs/work" \
        "$merged" || skip "this kernel mounts no overlay"
    [[ $(stat -f -c %T "$merged") == overlayfs ]] || fail "no overlay at $merged"
}
unmount_overlay() {
    local point
    for point in "$work/merged" "$work/upperfs"; do
        if mountpoint -q "$point" 2>/dev/null; then umount "$point" || umount -l "$point"; fi
    done
}

overlay_lower_layer() {
    new_volume 128M
    mkdir -p "$mnt/lower"
    write_markers "$mnt/lower/image.txt" 20000  # about 780 KiB: more than the upper layer holds
    write_markers "$mnt/lower/changed.txt" 200
    mount_overlay
    local below
    below=$(markers_in "$mnt/lower/image.txt")
    echo "a change of the user's" >>"$merged/changed.txt"  # copied up now
    run "$merged/image.txt" "$merged/changed.txt"
    expect_status 3
    expect_line "* File $merged/image.txt is on an overlay: its first copy stays in the lower layer, which is never written; the file is removed without being overwritten: old copies of its contents may remain on the disk"
    expect_line "* File $merged/changed.txt is on an overlay: its first copy stays in the lower layer, which is never written; only the copy above it is overwritten: old copies of its contents may remain on the disk"
    expect_line "File $merged/changed.txt successfuly deleted "
    [[ ! -e "$merged/image.txt" && ! -e "$merged/changed.txt" ]] || fail "an overlay file is still there"
    local kept
    kept=$(markers_in "$mnt/lower/image.txt")
    [[ $kept -eq $below ]] || fail "the lower layer changed: $kept of $below marker lines"
    unmount_overlay
    unmount
    say "overlay: the lower layer keeps $kept of $below marker lines, as the line says; exit 3; no copy-up"
}

data_journal() {
    new_volume 128M
    unmount
    mount -t ext4 -o loop,data=journal "$image" "$mnt" || fail "mount -o data=journal failed"
    wait_for_mount ext4
    grep -q " $mnt ext4 .*data=journal" /proc/self/mounts || fail "$mnt is not mounted with data=journal"
    local secret="$mnt/secret.txt"
    write_markers "$secret" 60000  # about 2 MiB
    sync
    run "$secret"
    expect_status 3
    expect_line "* File $secret is on a file system that journals file data (data=journal): copies of its contents in the journal may remain on the disk"
    unmount
    say "data=journal: the line and exit 3 ($(marker_lines) marker lines remain in the image)"
}

inline_data() {
    make_image 64M mkfs.ext4 -q -F -O inline_data
    mount_image ext4
    local secret="$mnt/small.txt"
    write_markers "$secret" 2  # small enough to live in the inode
    sync
    lsattr "$secret" | grep -q '^[^ ]*N' || skip "this ext4 keeps no data inline"
    run "$secret"
    expect_status 3
    expect_line "* File $secret keeps its data inside its inode (inline data): copies of its contents in the journal may remain on the disk"
    unmount
    say "inline data: the line and exit 3 ($(marker_lines) marker lines remain in the image)"
}

case "$fs" in
    ext4) abort_then_rerun; sparse_beyond_the_volume; overlay_lower_layer; data_journal; inline_data ;;
    btrfs) copy_on_write ;;
    xfs) reflinked_copy ;;
esac
