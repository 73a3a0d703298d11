# What the assurance scripts share, sourced by each of them: reporting, the checks of what this
# machine offers, one temporary folder with a home of its own, making and (un)mounting an image
# in it, and the clean-up on every way out.
#
# The sourcing script sets `label` (the tag of its output lines) first, and `fs` when its image
# holds one file system throughout.

readonly kExitSkip=77
readonly kMountTimeout=20           # seconds to wait for a mount to appear or a driver to end

# mkfs.*, losetup and mount live in sbin, which a root shell reached through su or sudo may not
# have on its PATH.
PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"

say() { printf '[%s] %s\n' "$label" "$*"; }
fail() { say "FAILED: $*" >&2; exit 1; }
# A CI machine that is meant to run these sets QUORREL_ASSURANCE_REQUIRED=1, so that a lost
# capability shows up as a failure instead of a quiet skip.
skip() {
    [[ ${QUORREL_ASSURANCE_REQUIRED:-0} != 1 ]] || fail "cannot run, and QUORREL_ASSURANCE_REQUIRED=1: $*"
    say "SKIPPED: $*"
    exit "$kExitSkip"
}

# --- What this machine must offer ------------------------------------------------------------

need_tool() {
    command -v "$1" >/dev/null 2>&1 ||
        skip "$1 is not installed (scripts/install-deps.sh test installs it)"
}

# Root with CAP_SYS_ADMIN (bit 21 of the effective capabilities): root in a container without
# it cannot mount anything.
need_mount_rights() {
    [[ $(id -u) -eq 0 ]] || skip "needs root to make and mount file systems (running as uid $(id -u))"
    local caps
    caps=$(awk '/^CapEff:/ { print $2 }' /proc/self/status 2>/dev/null || true)
    [[ -n "$caps" ]] && (( (16#$caps >> 21) & 1 )) ||
        skip "root here has no CAP_SYS_ADMIN, so nothing can be mounted"
    need_tool mount
    need_tool umount
    need_tool mountpoint
    need_tool timeout
}

need_loop_devices() {
    need_tool losetup
    [[ -e /dev/loop-control ]] || skip "no loop devices (/dev/loop-control is missing)"
    losetup -f >/dev/null 2>&1 || skip "no free loop device (losetup -f failed)"
}

need_fuse() {
    [[ -c /dev/fuse ]] || skip "no FUSE (/dev/fuse is missing)"
    kernel_knows fuse || skip "the kernel has no FUSE support"
}

kernel_knows() {
    grep -qw "$1" /proc/filesystems 2>/dev/null || { modprobe "$1" >/dev/null 2>&1 &&
        grep -qw "$1" /proc/filesystems; }
}

# What making and mounting a `$1` image takes: loop devices and kernel support, or FUSE and
# its driver.
need_file_system() {
    case "$1" in
        ntfs) need_fuse; need_loop_devices; need_tool mkntfs; need_tool ntfs-3g ;;
        fat) need_fuse; need_tool mkfs.fat; need_tool fusefat ;;
        *)
            need_loop_devices
            need_tool "mkfs.$1"
            kernel_knows "$1" || skip "the kernel has no $1 support"
            ;;
    esac
}

# --- The temporary folder and the way out ----------------------------------------------------

# Makes the one temporary folder `work` (named after `$1`) with the image path `image`, the
# mount point `mnt` and a home of its own: nothing a script runs may reach the real user's
# settings, data or trash, and the program sees no volume's trash but this image's.
make_work_folder() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/quorrel-$1.XXXXXX")
    image="$work/disk.img"
    mnt="$work/mnt"
    daemon_pid=""
    mkdir -p "$mnt" "$work/home/.config" "$work/home/.local/share"
    export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
    export XDG_DATA_HOME="$work/home/.local/share" QUORREL_TEST_MOUNT_PREFIX="$mnt"
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP
}

cleanup() {
    local status=$?
    if ! unmount_image lazy; then
        say "could not unmount $mnt; leaving $work in place" >&2
        exit "$status"
    fi
    rm -rf --one-file-system "$work"
    exit "$status"
}

# --- Making, mounting and unmounting the image -------------------------------------------------

# A fresh sparse image of `$1` bytes (truncate's units) made by the command that follows, for
# example: make_image 64M mkfs.ext4 -q -F.
make_image() {
    local size=$1
    shift
    rm -f "$image"
    truncate -s "$size" "$image"
    "$@" "$image" >"$work/mkfs.log" 2>&1 || { cat "$work/mkfs.log" >&2; fail "$* failed"; }
}

wait_for_mount() {
    local waited=0
    until mountpoint -q "$mnt"; do
        if [[ -n "$daemon_pid" ]] && ! kill -0 "$daemon_pid" 2>/dev/null; then
            cat "$work/daemon.log" >&2
            fail "the $1 driver exited before the mount appeared"
        fi
        (( waited < kMountTimeout * 10 )) || fail "the $1 mount did not appear in ${kMountTimeout}s"
        sleep 0.1
        waited=$((waited + 1))
    done
}

# Mounts the image, which holds a `$1` file system: through a loop device, for ntfs and fat
# through a FUSE driver kept in the foreground (ntfs over a loop device), so that its end (the
# image fully written) can be waited for.
mount_image() {
    case "$1" in
        ntfs)
            # Through a loop device, as a disk is mounted: ntfs-3g then says fuseblk, not the
            # fuse of every other FUSE file system.
            local device
            device=$(losetup -f --show "$image") || fail "no loop device for the ntfs image"
            ntfs-3g -o no_detach "$device" "$mnt" >"$work/daemon.log" 2>&1 &
            daemon_pid=$!
            ;;
        fat) fusefat -f -o rw+ "$image" "$mnt" >"$work/daemon.log" 2>&1 & daemon_pid=$! ;;
        *) mount -t "$1" -o loop "$image" "$mnt" || fail "mount -o loop of the $1 image failed" ;;
    esac
    wait_for_mount "$1"
}

# Unmounts the image and waits until nothing writes to it any more; false while it stays
# mounted. With "lazy", a mount that will not go is detached anyway: only for the way out, as the
# image may then still change.
unmount_image() {
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

# Writes everything out and unmounts the image, or fails.
unmount_synced() {
    sync
    unmount_image || fail "could not unmount $mnt"
}

# --- Reading the raw image -------------------------------------------------------------------

new_token() {
    od -An -N16 -tx1 /dev/urandom | tr -d ' \n'
}

# How many lines of the raw image hold `$1`. NULs become line ends first, so that runs of zeros
# never form one huge line.
count_in_image() {
    tr '\0' '\n' <"$image" | { LC_ALL=C grep -a -c -F -- "$1" || true; }
}
