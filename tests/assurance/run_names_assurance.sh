#!/usr/bin/env bash
# Proves on a real file system that shredded names leave the disk: two files and a folder of
# three files, all with distinctive names, are shredded by a plain list run (several files in
# flight), then a folder tree by a plain folder run; the raw image then holds
# no copy of any name outside the journal or log (checked where the image tells where that is
# and a plain run can prevent it: ext4, NTFS and FAT; xfs is reported). Then
# quorrel-shred --free-space on the same file system: the raw image holds no copy at all, in
# ASCII, in UTF-16LE or as FAT long-name pieces of 13 characters. A filler a killed run left is
# removed by the next run, and a filler-like entry that is not one is left alone.
#
# Usage: run_names_assurance.sh ext4|xfs|ntfs|fat PATH-OF-quorrel-shred
# Needs root, mount rights, loop devices (ext4, xfs) or FUSE (ntfs, fat); otherwise exits 77.
set -euo pipefail

fs=${1:?usage: $0 ext4|xfs|ntfs|fat PATH-OF-quorrel-shred}
shred=${2:?usage: $0 ext4|xfs|ntfs|fat PATH-OF-quorrel-shred}
label="names $fs"
case "$fs" in
    ext4 | xfs | ntfs | fat) ;;
    *) echo "unknown file system $fs" >&2; exit 2 ;;
esac
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/assurance_lib.sh"

need_mount_rights
need_file_system "$fs"
need_tool python3
[[ -x "$shred" ]] || fail "quorrel-shred not found at $shred"
case "$fs" in
    ext4) need_tool debugfs ;;
    xfs) need_tool xfs_db ;;
esac

make_work_folder "names-$fs"

case "$fs" in
    ext4) make_image 64M mkfs.ext4 -q -F -b 4096 ;;
    xfs) make_image 320M mkfs.xfs -q -f ;;  # mkfs.xfs wants 300 MiB
    ntfs) make_image 64M mkntfs -q -F -Q ;;
    fat) make_image 64M mkfs.fat ;;
esac

# The byte range of the journal or log in the image ("0 0" where it has none to tell).
journal_range() {
    case "$fs" in
        ext4)
            # The journal (inode 8) lies in one run of blocks on a fresh image.
            local bs size first last
            bs=$(debugfs -R stats "$image" 2>/dev/null | awk '/^Block size:/ { print $3 }')
            size=$(debugfs -R 'stat <8>' "$image" 2>/dev/null | awk '/Size: / { print $NF; exit }')
            first=$(debugfs -R 'bmap <8> 0' "$image" 2>/dev/null)
            last=$(debugfs -R "bmap <8> $((size / bs - 1))" "$image" 2>/dev/null)
            (( last - first >= 0 )) || fail "the journal's blocks could not be read"
            echo $(( first * bs )) $(( (last + 1) * bs ))
            ;;
        xfs)
            local start blocks bs daddr
            start=$(xfs_db -r -c 'sb 0' -c 'p logstart' "$image" | awk '{ print $3 }')
            blocks=$(xfs_db -r -c 'sb 0' -c 'p logblocks' "$image" | awk '{ print $3 }')
            bs=$(xfs_db -r -c 'sb 0' -c 'p blocksize' "$image" | awk '{ print $3 }')
            daddr=$(xfs_db -r -c "convert fsb $start daddr" "$image" | sed 's/.*(\([0-9]*\)).*/\1/')
            echo $(( daddr * 512 )) $(( daddr * 512 + blocks * bs ))
            ;;
        *) echo 0 0 ;;
    esac
}

token=$(od -An -N4 -tx1 /dev/urandom | tr -d ' \n')
names=("payroll-$token-alpha-sheet.xlsx" "divorce-$token-bravo-letter.docx"
       "private-$token-charlie-folder" "note-$token-delta-first.txt"
       "note-$token-echo-second.txt" "note-$token-foxtrot-third.txt"
       "archive-$token-golf-folder" "inner-$token-hotel-folder" "ledger-$token-india-notes.txt"
       "ledger-$token-juliet-deep.txt")

# Copies of the names in the raw image: "TOTAL INSIDE-THE-JOURNAL", then one line per name.
count_names() {
    python3 "$here/count_names.py" "$image" $(journal_range) "${names[@]}"
}

# The name a filler with the random part `$1` gets: the prefix, `$1` and its two check
# characters (FNV-1a of `$1`, as the program computes them).
filler_name() {
    python3 - "$1" <<'PY'
import sys
body = sys.argv[1]
h = 2166136261
for byte in body.encode():
    h = ((h ^ byte) * 16777619) & 0xFFFFFFFF
chars = "abcdefghijklmnopqrstuvwxyz0123456789"
print(".quorrel-name-" + body + chars[h % 36] + chars[(h // 36) % 36])
PY
}

mount_image "$fs"
mountpoint -q "$mnt" || fail "not mounted"
seq 1 2000 >"$mnt/${names[0]}"
seq 1 3000 >"$mnt/${names[1]}"
mkdir "$mnt/${names[2]}"
for i in 3 4 5; do seq 1 $((i * 500)) >"$mnt/${names[2]}/${names[$i]}"; done
# The folder run's tree is in a folder of its own, which stays with a bystander in it, after
# a gap an ordinary deletion left (where FAT moves a renamed entry).
mkdir "$mnt/shelf"
: >"$mnt/shelf/scratch-removed-the-ordinary-way.tmp"
mkdir -p "$mnt/shelf/${names[6]}/${names[7]}"
echo "another bystander" >"$mnt/shelf/bystander.txt"
seq 1 700 >"$mnt/shelf/${names[6]}/${names[8]}"
seq 1 900 >"$mnt/shelf/${names[6]}/${names[7]}/${names[9]}"
rm "$mnt/shelf/scratch-removed-the-ordinary-way.tmp"
mkdir "$mnt/keep" && echo "a bystander" >"$mnt/keep/bystander.txt"
unmount_synced
count=$(count_names | head -1)
(( ${count% *} > 0 )) || fail "the names are not in the image before the run, so 0 after it proves nothing"
say "before the run: $count (total, inside the journal)"

mount_image "$fs"
mountpoint -q "$mnt" || fail "not mounted"
start=$SECONDS
status=0
timeout 300 "$shred" --yes --method 0 --jobs 4 "$mnt/${names[0]}" "$mnt/${names[1]}" \
    "$mnt/${names[2]}" >"$work/plain.log" 2>&1 </dev/null || status=$?
cat "$work/plain.log"
(( status == 0 )) || fail "the plain run exited $status"
timeout 300 "$shred" --yes --method 0 --folder "$mnt/shelf/${names[6]}" >"$work/folder.log" 2>&1 \
    </dev/null || status=$?
cat "$work/folder.log"
(( status == 0 )) || fail "the plain folder run exited $status"
! ls -A "$mnt" "$mnt/shelf" | grep -q '^\.quorrel-name-' || fail "a plain run left a filler behind"
plain_time=$((SECONDS - start))
# A killed run's filler, and (where files have owners) one of another user's with a filler's
# name, which this program did not make.
leftover="$mnt/$(filler_name leftover00000)"
: >"$leftover"
lookalike="$mnt/.quorrel-name-lookalike00000"
case "$fs" in
    ext4 | xfs) echo "not ours" >"$lookalike" && chown 65534 "$lookalike" ;;
esac
unmount_synced
plain=$(count_names)
read -r total inside <<<"$(head -1 <<<"$plain")"
say "after the plain run (${plain_time}s): $total copies, $inside of them in the journal or log"
tail -n +2 <<<"$plain" | sed 's/^/    /'
case "$fs" in
    ext4 | ntfs | fat) (( total - inside == 0 )) || fail "a plain run left names outside the journal" ;;
esac

mount_image "$fs"
mountpoint -q "$mnt" || fail "not mounted"
start=$SECONDS
status=0
timeout 600 "$shred" --yes --method 0 --free-space "$mnt" >"$work/free.log" 2>&1 </dev/null || status=$?
cat "$work/free.log"
# 3 where the fill could not reach what the file system keeps back; never for the journal.
(( status == 0 || status == 3 )) || fail "quorrel-shred --free-space exited $status"
! grep -q '^\* .*journal' "$work/free.log" || fail "the journal was not cleared"
grep -q '^Journal of .* written over\|keeps no journal of names$' "$work/free.log" ||
    fail "no line says what became of the journal"
[[ ! -e "$leftover" ]] || fail "a killed run's filler was left"
case "$fs" in
    ext4 | xfs) grep -qx "not ours" "$lookalike" || fail "another user's file was touched" ;;
esac
rm -f "$lookalike"
grep -qx "a bystander" "$mnt/keep/bystander.txt" || fail "a bystander file changed"
[[ $(ls -A "$mnt/shelf") == bystander.txt ]] && grep -qx "another bystander" "$mnt/shelf/bystander.txt" ||
    fail "the folder that held the shredded tree changed"
! ls -A "$mnt" | grep -q '^\.quorrel-name-' || fail "a filler was left behind"
unmount_synced
after=$(count_names)
say "after --free-space ($((SECONDS - start))s): $(head -1 <<<"$after" | cut -d' ' -f1) copies"
tail -n +2 <<<"$after" | sed 's/^/    /'
[[ $(head -1 <<<"$after" | cut -d' ' -f1) == 0 ]] || fail "names survived --free-space on $fs"
say "passed"
