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

readonly kSmallFiles=50
readonly kBigFileLines=17800        # lines of about 60 bytes: a little over 1 MiB
readonly kShredTimeout=120          # seconds; a hung run fails here instead of at CTest's kill

label="assurance ?"
source "$(dirname "${BASH_SOURCE[0]}")/assurance_lib.sh"

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
label="assurance $fs"
[[ -x "$shred" ]] || fail "quorrel-shred not found at $shred"

need_mount_rights
need_file_system "$fs"

make_work_folder "assurance-$fs"

make_fs() {
    case "$fs" in
        ext4) make_image 64M mkfs.ext4 -q -F ;;
        # mkfs.xfs refuses anything under 300 MiB; the image is sparse, so this costs little.
        xfs) make_image 320M mkfs.xfs -q -f ;;
        ntfs) make_image 64M mkntfs -q -F -Q ;;
        fat) make_image 64M mkfs.fat ;;
    esac
}

mount_fs() { mount_image "$fs"; }
unmount_fs() { unmount_synced; }

# --- Marker content and counting it in the raw image ---------------------------------------------

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
