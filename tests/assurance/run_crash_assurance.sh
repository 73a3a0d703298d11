#!/usr/bin/env bash
# Proves on a real file system that a killed run leaves nothing a later run cannot finish: a
# folder run over a tree of mixed sizes (files in flight) is killed (SIGKILL) at 20 moments
# spread over the time it takes; after each kill the state found is printed, then a plain run
# over the same folder (and a file beside it) must exit 0 and leave every named file gone, no filler (.quorrel-name-*)
# and no file under a random name anywhere on the volume, and every file outside the folder as
# it was (sha256 of the tree).
#
# Usage: run_crash_assurance.sh ext4|ntfs|fat PATH-OF-quorrel-shred
# Needs root, mount rights, loop devices (ext4, ntfs) or FUSE (ntfs, fat); otherwise exits 77.
set -euo pipefail

fs=${1:?usage: $0 ext4|ntfs|fat PATH-OF-quorrel-shred}
shred=${2:?usage: $0 ext4|ntfs|fat PATH-OF-quorrel-shred}
label="crash $fs"
case "$fs" in
    ext4 | ntfs | fat) ;;
    *) echo "unknown file system $fs" >&2; exit 2 ;;
esac
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/assurance_lib.sh"

kKills=20
need_mount_rights
need_file_system "$fs"
need_tool sha256sum
[[ -x "$shred" ]] || fail "quorrel-shred not found at $shred"

make_work_folder "crash-$fs"
case "$fs" in
    ext4) make_image 64M mkfs.ext4 -q -F -b 4096 ;;
    ntfs) make_image 64M mkntfs -q -F -Q ;;
    fat) make_image 64M mkfs.fat ;;
esac
mount_image "$fs"
mountpoint -q "$mnt" || fail "not mounted"

# The files outside the folder: beside it, and one with a name like a filler's that no run made.
mkdir "$mnt/outside"
for i in 1 2 3; do seq 1 $((i * 3000)) >"$mnt/outside/kept-$i.txt"; done
: >"$mnt/.quorrel-name-planted00001"
outside_sum() {
    (cd "$mnt" && sha256sum outside/* .quorrel-name-planted00001 | sha256sum | cut -c1-16)
}
before=$(outside_sum)

# The folder: 24 files from empty to 1 MiB, a sub-folder of 6 more.
make_tree() {
    mkdir -p "$mnt/top/d/sub"
    local i
    for i in $(seq -w 1 24); do
        head -c $(((10#$i % 6) * (10#$i % 6) * 40000)) /dev/urandom >"$mnt/top/d/row-$i"
    done
    for i in 1 2 3 4 5 6; do head -c $((i * 30000)) /dev/urandom >"$mnt/top/d/sub/part-$i"; done
}

# What a killed run left: entries under d, random names, fillers and files of two names.
describe_state() {
    local entries=0 random fillers linked
    [[ -d "$mnt/top/d" ]] && entries=$(find "$mnt/top/d" | wc -l)
    [[ -e "$mnt/top/beside" ]] && entries=$((entries + 1))
    random=$(find "$mnt" -regextype posix-extended -iregex '.*/[a-t]{8}\.[a-t]{3}' | wc -l)
    fillers=$(find "$mnt" -name '.quorrel-name-*' ! -name '.quorrel-name-planted00001' | wc -l)
    linked=$(find "$mnt/top" -type f -links +1 2>/dev/null | wc -l)
    echo "d: $entries entries, random names: $random, fillers: $fillers, files of 2 names: $linked"
}

# The folder run; exec, so that the process a kill reaches is quorrel-shred itself.
run_folder() {
    exec "$shred" --yes --method 0 --jobs 8 --folder "$mnt/top/d" >"$work/killed.log" 2>&1 </dev/null
}

# The time a whole run takes, so that the kills are spread over it.
make_tree
sync
start=$(date +%s%N)
(run_folder) || fail "the uninterrupted folder run exited $?"
total_ms=$((($(date +%s%N) - start) / 1000000))
say "an uninterrupted run takes ${total_ms} ms"

for kill in $(seq 1 "$kKills"); do
    make_tree
    sync
    at_ms=$((total_ms * kill / (kKills + 1)))
    (run_folder) &
    run_pid=$!
    sleep "$(printf '%d.%03d' $((at_ms / 1000)) $((at_ms % 1000)))"
    kill -9 "$run_pid" 2>/dev/null || true
    wait "$run_pid" 2>/dev/null || true
    state=$(describe_state)
    # The plain run names the folder (when the killed run had not removed it yet) and a file
    # beside it, so that it also refills the folder that holds it, where the killed run may
    # have left its fillers.
    echo "a row beside the folder" >"$mnt/top/beside"
    named=("$mnt/top/beside")
    [[ -e "$mnt/top/d" ]] && named=("$mnt/top/d" "${named[@]}")
    status=0
    timeout 300 "$shred" --yes --method 0 "${named[@]}" >"$work/plain.log" 2>&1 </dev/null ||
        status=$?
    say "kill $kill at ${at_ms} ms: $state; then exit $status"
    after=$(describe_state)
    if ((status != 0)) || [[ $after != "d: 0 entries, random names: 0, fillers: 0, files of 2 names: 0" ]]; then
        cat "$work/plain.log" >&2
        fail "after kill $kill and a plain run: $after (exit $status)"
    fi
    [[ $(outside_sum) == "$before" ]] || fail "a file outside the folder changed (kill $kill)"
done
unmount_synced
say "passed: $kKills kills, each finished by a plain run"
