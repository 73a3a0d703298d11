#!/usr/bin/env bash
# Times quorrel-shred --free-space (method 0, one pass) against dd conv=fdatasync writing the
# same number of bytes, on a loop-mounted ext4 image on the disk that holds BENCH_DIR, and
# prints the write rates and their ratio (quorrel/dd; 0.9 or more is the target). Needs root.
# Usage: bench/free_space_vs_dd.sh PATH-OF-quorrel-shred   (BENCH_MIB: image size, default 1024)
set -euo pipefail
export LC_ALL=C
shred=${1:?usage: $0 PATH-OF-quorrel-shred}
mib=${BENCH_MIB:-1024}
work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/quorrel-bench-free.XXXXXX")
trap 'mountpoint -q "$work/mnt" && umount "$work/mnt"; rm -rf "$work"' EXIT
mkdir "$work/mnt"
fresh() {
    mountpoint -q "$work/mnt" && umount "$work/mnt"
    rm -f "$work/disk.img"; truncate -s "${mib}M" "$work/disk.img"
    mkfs.ext4 -q -F "$work/disk.img"; mount -o loop "$work/disk.img" "$work/mnt"; sync
}
fresh
start=$EPOCHREALTIME
"$shred" --yes --method 0 --free-space "$work/mnt" >"$work/run.log" 2>&1 || true
q_secs=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }')
bytes=$(sed -n 's/^Wrote \([0-9.]*\) MiB.*/\1/p' "$work/run.log")
fresh
start=$EPOCHREALTIME
dd if=/dev/zero of="$work/mnt/fill" bs=1M count="${bytes%.*}" conv=fdatasync status=none
d_secs=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }')
awk -v m="$bytes" -v q="$q_secs" -v d="$d_secs" 'BEGIN {
    printf "fill of %.1f MiB: quorrel %.2f s (%.0f MiB/s), dd %.2f s (%.0f MiB/s), ratio %.2f\n",
           m, q, m / q, d, m / d, (m / q) / (m / d) }'
