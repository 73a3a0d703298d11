#!/usr/bin/env bash
# Proves on a real file system that quorrel-shred leaves nothing of a file's content on the disk.
#
# Usage: run_assurance.sh ext4|xfs|ntfs|fat PATH-OF-quorrel-shred [METHOD...]
#
# For every method (0 1 2 3 unless given) a fresh image is made and mounted; a large file and a
# folder tree of small files are filled with lines that carry a token drawn for this round only.
# The image is unmounted and read raw to make sure the token reached the disk (otherwise the
# round would prove nothing), mounted again, shredded by the real program, unmounted, and read
# raw once more: not one copy of the token may be left. A first, control round removes the same
# files with a plain rm and must find the token still there, which shows that this file system
# and this way of reading it do reveal deleted data.
#
# Needs root, mount rights, loop devices (ext4, xfs) or FUSE (ntfs, fat). Without them it says
# why and exits 77, which CTest reports as skipped. Everything it makes lives in one temporary
# folder that is unmounted and removed on every way out.
set -euo pipefail

readonly kExitSkip=77
readonly kSmallFiles=50
readonly kBigFileLines=17800        # lines of about 60 bytes: a little over 1 MiB
readonly kShredTimeout=120          # seconds; a hung run fails here instead of at CTest's kill
readonly kMountTimeout=20

say() { printf '[assurance %s] %s\n' "${fs:-?}" "$*"; }
fail() { say "FAILED: $*" >&2; exit 1; }
# A CI machine that is meant to run these sets QUORREL_ASSURANCE_REQUIRED=1, so that a lost
# capability shows up as a failure instead of a quiet skip.
skip() {
    [[ ${QUORREL_ASSURANCE_REQUIRED:-0} != 1 ]] || fail "cannot run, and QUORREL_ASSURANCE_REQUIRED=1: $*"
    say "SKIPPED: $*"
    exit "$kExitSkip"
}

if [[ $# -lt 2 ]]; then
    echo "usage: $0 ext4|xfs|ntfs|fat PATH-OF-quorrel-shred [METHOD...]" >&2
    exit 2
fi
fs=$1
shred=$2
shift 2
methods=("$@")
[[ ${#methods[@]} -gt 0 ]] || methods=(0 1 2 3)
case "$fs" in
    ext4 | xfs | ntfs | fat) ;;
    *) echo "run_assurance: unknown file system '$fs'" >&2; exit 2 ;;
esac
[[ -x "$shred" ]] || fail "quorrel-shred not found at $shred"

# mkfs.*, losetup and mount live in sbin, which a root shell reached through su or sudo may
# not have on its PATH.
PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"

# --- What this machine must offer ------------------------------------------------------------

need_tool() {
    command -v "$1" >/dev/null 2>&1 ||
        skip "$1 is not installed (scripts/install-deps.sh test installs it)"
}

# Bit 21 of the effective capabilities is CAP_SYS_ADMIN: root in a container without it
# cannot mount anything.
has_mount_rights() {
    local caps
    caps=$(awk '/^CapEff:/ { print $2 }' /proc/self/status 2>/dev/null) || return 1
    [[ -n "$caps" ]] && (( (16#$caps >> 21) & 1 ))
}

kernel_knows() {
    grep -qw "$1" /proc/filesystems 2>/dev/null || { modprobe "$1" >/dev/null 2>&1 &&
        grep -qw "$1" /proc/filesystems; }
}

check_machine() {
    [[ $(id -u) -eq 0 ]] || skip "needs root to make and mount file systems (running as uid $(id -u))"
    has_mount_rights || skip "root here has no CAP_SYS_ADMIN, so nothing can be mounted"
    need_tool mount
    need_tool umount
    need_tool mountpoint
    need_tool timeout
    case "$fs" in
        ext4 | xfs)
            need_tool losetup
            need_tool "mkfs.$fs"
            [[ -e /dev/loop-control ]] || skip "no loop devices (/dev/loop-control is missing)"
            losetup -f >/dev/null 2>&1 || skip "no free loop device (losetup -f failed)"
            kernel_knows "$fs" || skip "the kernel has no $fs support"
            ;;
        ntfs | fat)
            [[ -c /dev/fuse ]] || skip "no FUSE (/dev/fuse is missing)"
            kernel_knows fuse || skip "the kernel has no FUSE support"
            if [[ $fs == ntfs ]]; then
                need_tool mkntfs
                need_tool ntfs-3g
            else
                need_tool mkfs.fat
                need_tool fusefat
            fi
            ;;
    esac
}

check_machine

# --- The temporary folder and the way out ------------------------------------------------------

work=$(mktemp -d "${TMPDIR:-/tmp}/quorrel-assurance-$fs.XXXXXX")
image="$work/disk.img"
mnt="$work/mnt"
daemon_pid=""
mkdir -p "$mnt" "$work/home/.config" "$work/home/.local/share"
# The program reads its stored method from the user's settings when no --method is given; even
# though every run here passes --method, nothing of this test may reach the real home.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"

# Unmounts the image and waits until nothing writes to it any more. With "lazy", a mount that
# will not go is detached anyway: only for the way out, as the image may then still change.
unmount() {
    if mountpoint -q "$mnt"; then
        timeout "$kMountTimeout" umount "$mnt" || [[ ${1:-} != lazy ]] || umount -l "$mnt" || true
    fi
    if [[ -n "$daemon_pid" ]]; then
        # A FUSE driver may still be writing the image after umount returns; the image is only
        # read once the driver has exited.
        local waited=0
        while kill -0 "$daemon_pid" 2>/dev/null && (( waited < kMountTimeout * 10 )); do
            sleep 0.1
            waited=$((waited + 1))
        done
        if kill -0 "$daemon_pid" 2>/dev/null; then
            kill "$daemon_pid" 2>/dev/null || true
        fi
        wait "$daemon_pid" 2>/dev/null || true
        daemon_pid=""
    fi
    # mount -o loop detaches its loop device on umount; a device left over by a failed mount
    # is detached here.
    if [[ -e "$image" ]] && command -v losetup >/dev/null 2>&1; then
        local device
        for device in $(losetup -j "$image" -O NAME -n 2>/dev/null); do
            losetup -d "$device" 2>/dev/null || true
        done
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

# --- Making, mounting and unmounting each file system -------------------------------------------

make_fs() {
    rm -f "$image"
    case "$fs" in
        ext4)
            truncate -s 64M "$image"
            mkfs.ext4 -q -F "$image" >"$work/mkfs.log" 2>&1
            ;;
        xfs)
            # mkfs.xfs refuses anything under 300 MiB; the image is sparse, so this costs little.
            truncate -s 320M "$image"
            mkfs.xfs -q -f "$image" >"$work/mkfs.log" 2>&1
            ;;
        ntfs)
            truncate -s 64M "$image"
            mkntfs -q -F -Q "$image" >"$work/mkfs.log" 2>&1
            ;;
        fat)
            truncate -s 64M "$image"
            mkfs.fat "$image" >"$work/mkfs.log" 2>&1
            ;;
    esac || { cat "$work/mkfs.log" >&2; fail "could not make the $fs file system"; }
}

wait_for_mount() {
    local waited=0
    until mountpoint -q "$mnt"; do
        if ! kill -0 "$daemon_pid" 2>/dev/null; then
            cat "$work/daemon.log" >&2
            fail "the $fs driver exited before the mount appeared"
        fi
        (( waited < kMountTimeout * 10 )) || fail "the $fs mount did not appear in ${kMountTimeout}s"
        sleep 0.1
        waited=$((waited + 1))
    done
}

mount_fs() {
    case "$fs" in
        ext4 | xfs)
            mount -t "$fs" -o loop "$image" "$mnt" || fail "mount -o loop of the $fs image failed"
            ;;
        ntfs)
            # In the foreground, so that its end (the image fully written) can be waited for.
            ntfs-3g -o no_detach "$image" "$mnt" >"$work/daemon.log" 2>&1 &
            daemon_pid=$!
            wait_for_mount
            ;;
        fat)
            fusefat -f -o rw+ "$image" "$mnt" >"$work/daemon.log" 2>&1 &
            daemon_pid=$!
            wait_for_mount
            ;;
    esac
}

unmount_fs() {
    sync
    unmount || fail "could not unmount $mnt"
}

# --- Marker content and counting it in the raw image ---------------------------------------------

new_token() {
    od -An -N16 -tx1 /dev/urandom | tr -d ' \n'
}

# Writes `lines` lines "QUORREL-MARKER-<token>-<file id>-<line>" to `path`.
write_marker_file() {
    local path=$1 id=$2 lines=$3
    seq -f "QUORREL-MARKER-$token-$id-%07.0f" 1 "$lines" >"$path"
}

# Every marker line in the raw image, one per line of output. NULs become line ends first, so
# that runs of zeros never form one huge line; the marker holds no NUL, so none is split.
image_markers() {
    tr '\0' '\n' <"$image" | { LC_ALL=C grep -a -o -E "QUORREL-MARKER-$token-[0-9]+-[0-9]+" || true; }
}

# Fails unless every file of the round reached the image.
check_marker_reached_disk() {
    image_markers >"$work/markers.txt"
    local found files
    found=$(wc -l <"$work/markers.txt")
    files=$(sed -E 's/-[0-9]+$//' "$work/markers.txt" | sort -u | wc -l)
    say "$round: before deletion the image holds $found of $lines_written marker lines," \
        "from $files of $((kSmallFiles + 1)) files"
    (( files == kSmallFiles + 1 )) ||
        fail "only $files of $((kSmallFiles + 1)) files reached the image; the round would prove nothing"
}

# Counts what is left of the marker after the files went: the bare token, and the fixed start of
# the lines, which also catches a line whose token was cut by a block boundary. One read of the
# image finds both, as grep -o goes on after the start of a line to the token in it.
count_leftovers() {
    tr '\0' '\n' <"$image" |
        { LC_ALL=C grep -a -o -F -e "QUORREL-MARKER-" -e "$token" || true; } >"$work/leftovers.txt"
    prefixes=$(grep -c -xF "QUORREL-MARKER-" "$work/leftovers.txt" || true)
    tokens=$(grep -c -xF "$token" "$work/leftovers.txt" || true)
    say "$round: after $1 the image holds $tokens copies of the token and $prefixes marker line starts"
}

# --- One round: one method on a fresh file system --------------------------------------------

populate() {
    big="$mnt/secret.bin"
    folder="$mnt/secret-folder"
    mkdir -p "$folder/inner"
    write_marker_file "$big" 0 "$kBigFileLines"
    lines_written=$kBigFileLines
    small_paths=()
    local i path
    for ((i = 1; i <= kSmallFiles; i++)); do
        # Sizes from under 200 bytes to about 9 KiB: NTFS keeps the smallest inside the file
        # record, the rest end in a partial block. The last ten sit one folder deeper.
        if (( i > kSmallFiles - 10 )); then
            path="$folder/inner/note-$i.txt"
        else
            path="$folder/note-$i.txt"
        fi
        write_marker_file "$path" "$i" $((i * 3))
        small_paths+=("$path")
        lines_written=$((lines_written + i * 3))
    done
    # A read-only file has to lose that bit before it can be overwritten; every seventh one is
    # made so. FAT and NTFS here may keep no such bit, and then nothing changes.
    for ((i = 7; i <= kSmallFiles; i += 7)); do
        chmod a-w "${small_paths[i - 1]}" 2>/dev/null || true
    done
}

# Runs quorrel-shred with `args`, keeping its output in `log`, and checks its exit status.
run_shred() {
    local log=$1
    shift
    local status=0
    timeout --kill-after=10 "$kShredTimeout" "$shred" --yes --method "$method" "$@" \
        >"$log" 2>"$log.err" </dev/null || status=$?
    if [[ $status -ne 0 ]]; then
        cat "$log" "$log.err" >&2
        fail "quorrel-shred $* exited with status $status"
    fi
    if grep -q '^\* ' "$log"; then
        cat "$log" >&2
        fail "quorrel-shred $* reported a failure"
    fi
}

expect_line() {
    local log=$1 line=$2
    grep -qxF -- "$line" "$log" || { cat "$log" >&2; fail "missing log line: '$line'"; }
}

shred_everything() {
    local start=$SECONDS path
    run_shred "$work/file-run.log" "$big"
    expect_line "$work/file-run.log" "Wipeing file $big"
    expect_line "$work/file-run.log" "File $big successfuly deleted "
    [[ ! -e "$big" ]] || fail "$big is still there after shredding"

    run_shred "$work/folder-run.log" --folder "$folder"
    for path in "${small_paths[@]}"; do
        expect_line "$work/folder-run.log" "File $path successfuly deleted "
    done
    expect_line "$work/folder-run.log" "Folder $folder/inner is removed"
    expect_line "$work/folder-run.log" "Folder $folder is removed"
    expect_line "$work/folder-run.log" "- End deleting the folder $folder"
    [[ ! -e "$folder" ]] || fail "$folder is still there after shredding"

    local left
    left=$(find "$mnt" -mindepth 1 -not -name 'lost+found' -not -path "$mnt/lost+found/*" \
        -not -name 'System Volume Information' -not -path "$mnt/System Volume Information/*" |
        head -n 5)
    [[ -z "$left" ]] || fail "entries left on the file system after shredding: $left"
    say "$round: shredded 1 file and a folder of $kSmallFiles files in $((SECONDS - start))s"
}

# Puts a fresh file system with this round's marker files on the image, and proves that the
# marker reached the disk.
prepare_round() {
    token=$(new_token)
    say "$round: new $fs image, marker token $token"
    make_fs
    mount_fs
    populate
    unmount_fs
    check_marker_reached_disk
    mount_fs
}

# The same files removed by a plain rm must leave the marker on the image. Where they do not
# (a file system that clears or discards freed blocks), a clean image after shredding would
# prove nothing.
run_control_round() {
    round="control (plain rm)"
    prepare_round
    rm -rf -- "$big" "$folder"
    unmount_fs
    count_leftovers "a plain rm"
    (( tokens > 0 )) ||
        fail "a plain rm left no marker on $fs either, so a clean image would prove nothing here"
    say "$round: the raw image shows deleted data, as it must for the rounds to mean something"
}

run_method_round() {
    method=$1
    round="method $method"
    prepare_round
    shred_everything
    unmount_fs
    count_leftovers "shredding"
    if (( tokens != 0 || prefixes != 0 )); then
        say "$round: surviving marker lines by file (count, file):" >&2
        image_markers | sed -E 's/-[0-9]+$//' | sort | uniq -c | sort -rn | head -n 10 >&2
        say "$round: first byte offsets of the token in the image:" >&2
        tr '\0' '\n' <"$image" | { LC_ALL=C grep -a -b -o -F -- "$token" || true; } |
            head -n 5 | sed 's/:.*//' >&2
        fail "$round: marker data survived shredding on $fs"
    fi
    say "$round: passed"
}

say "quorrel-shred: $shred; work folder: $work"
suite_start=$SECONDS
run_control_round
for m in "${methods[@]}"; do
    run_method_round "$m"
done
say "all methods (${methods[*]}) left no marker on $fs; $((SECONDS - suite_start))s"
