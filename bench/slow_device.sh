#!/usr/bin/env bash
# quorrel-shred on simulated slow devices, side by side with a yardstick writer (serial and
# with files in flight) and GNU shred. The device: latency_dev (a FUSE file system that delays
# every read, write and flush) over an image file, a loop device with direct I/O on the file it
# exposes, ext4 on the loop device. Root only; prints why and exits 0 when it cannot run.
# See bench/README.md.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
quorrel=${QUORREL_SHRED:-}
runs=${BENCH_RUNS:-5}
base=${BENCH_DIR:-${TMPDIR:-/tmp}}
cases=${BENCH_CASES:-lat5-4k-m1,lat5-4k-m0,lat5-64k-m1,usb-4k-m1,flush-4k-m1}
image_mib=${BENCH_IMAGE_MIB:-256}
in_flight=8
shred_bin=${SHRED:-shred}

usage() {
    cat <<EOF
Usage: bench/slow_device.sh [options] [QUORREL_SHRED]

Times quorrel-shred --folder against the yardstick (serial and with $in_flight files in flight) and
GNU shred on a slow device built for the run, and prints the ratios.

  -b, --binary PATH   quorrel-shred to time (QUORREL_SHRED, default build/cli/quorrel-shred)
  -r, --runs N        interleaved repetitions of every case (BENCH_RUNS, default $runs; the
                      figures to quote need 5 or more, fewer is a quick look)
  -c, --cases LIST    cases to run (BENCH_CASES, default all):
                        lat5-4k-m1   lat5, 250 files of 4 KiB, method 1
                        lat5-4k-m0   lat5, 250 files of 4 KiB, method 0
                        lat5-64k-m1  lat5, 100 files of 64 KiB, method 1
                        usb-4k-m1    usb, 60 files of 4 KiB, method 1
                        flush-4k-m1  flush-heavy, 60 files of 4 KiB, method 1
                      and, not run unless named (--verify against the plain run plus
                      one direct read of the same input):
                        lat5-verify-256m  lat5, one file of 256 MiB, method 0
                        lat5-verify-4k    lat5, 2000 files of 4 KiB, method 0
  -d, --dir DIR       where the scratch folder and the image go (BENCH_DIR, default \$TMPDIR
                      or /tmp)
      --image-mib N   size of the device (BENCH_IMAGE_MIB, default $image_mib)
  -h, --help          show this text

Profiles (read / write / flush delay in ms): lat5 5/5/5, usb 2/20/20, flush-heavy 0.1/0.5/30.
Environment: SHRED names the GNU shred to use, CC the C compiler for the device and yardstick.
EOF
}

die() {
    echo "slow_device: $*" >&2
    exit 2
}

# The benchmark cannot run here: say why and leave without failing.
cannot_run() {
    echo "slow_device: cannot run: $*; nothing measured."
    exit 0
}

need_value() {
    [[ $# -ge 2 && -n $2 ]] || die "$1 needs a value"
}

while [[ $# -gt 0 ]]; do
    case $1 in
        -b | --binary) need_value "$@"; quorrel=$2; shift 2 ;;
        -r | --runs) need_value "$@"; runs=$2; shift 2 ;;
        -c | --cases) need_value "$@"; cases=$2; shift 2 ;;
        -d | --dir) need_value "$@"; base=$2; shift 2 ;;
        --image-mib) need_value "$@"; image_mib=$2; shift 2 ;;
        -h | --help) usage; exit 0 ;;
        -*) die "unknown option $1 (see --help)" ;;
        *) [[ -z $quorrel ]] || die "more than one binary given"; quorrel=$1; shift ;;
    esac
done
[[ $runs =~ ^[1-9][0-9]*$ ]] || die "--runs needs a whole number above 0"
if [[ ! $image_mib =~ ^[1-9][0-9]*$ ]] || (( image_mib < 64 )); then
    die "--image-mib needs a whole number of 64 or more"
fi

# A case: profile, file count, file size in KiB, method.
declare -A case_spec=(
    [lat5-4k-m1]="lat5 250 4 1"
    [lat5-4k-m0]="lat5 250 4 0"
    [lat5-64k-m1]="lat5 100 64 1"
    [usb-4k-m1]="usb 60 4 1"
    [flush-4k-m1]="flush-heavy 60 4 1"
    [lat5-verify-256m]="lat5 1 262144 0"
    [lat5-verify-4k]="lat5 2000 4 0"
)
# A profile: read, write and flush delay in milliseconds.
declare -A profile_delays=([lat5]="5 5 5" [usb]="2 20 20" [flush-heavy]="0.1 0.5 30")
IFS=, read -r -a case_list <<<"$cases"
for c in "${case_list[@]}"; do
    [[ -n ${case_spec[$c]:-} ]] || die "unknown case '$c' (see --help)"
    # The large file, its copy's blocks and the file system's own need room.
    if [[ $c == lat5-verify-256m ]] && (( image_mib < 640 )); then
        image_mib=640
    fi
done

# --- can it run here? -------------------------------------------------------------------------

(( EUID == 0 )) || cannot_run "it needs root (loop devices, mounts)"
[[ -c /dev/fuse ]] || cannot_run "no /dev/fuse"
[[ -e /dev/loop-control ]] || cannot_run "no loop devices (/dev/loop-control)"
losetup -f >/dev/null 2>&1 || cannot_run "no free loop device"
for tool in losetup mkfs.ext4 findmnt mountpoint pkg-config "${CC:-cc}"; do
    command -v "$tool" >/dev/null || cannot_run "$tool is missing (scripts/install-deps.sh bench)"
done
pkg-config --exists fuse3 || cannot_run "libfuse3 headers are missing (scripts/install-deps.sh bench)"
command -v "$shred_bin" >/dev/null || cannot_run "GNU shred is missing ($shred_bin)"
[[ -n $quorrel ]] || quorrel=$root/build/cli/quorrel-shred
[[ -x $quorrel ]] || die "not an executable: $quorrel (build the target quorrel-shred or give -b)"
quorrel=$(cd "$(dirname "$quorrel")" && pwd)/$(basename "$quorrel")
[[ -d $base ]] || die "no such folder: $base"

scratch=$(mktemp -d "$base/quorrel-slow.XXXXXX") || die "cannot make a scratch folder in $base"
fuse_dir=$scratch/fuse
mnt=$scratch/mnt
image=$scratch/device.img
fuse_pid=
loop_dev=
fs_name=quorrel-latency-$$

# Takes the device apart in the only safe order (ext4, loop device, FUSE), whatever state it is
# in; called between profiles and on every exit. A mount that will not go is retried, then
# left lazily, so that the FUSE process can still be stopped.
teardown() {
    local i
    if mountpoint -q "$mnt" 2>/dev/null; then
        for i in 1 2 3 4 5; do umount "$mnt" 2>/dev/null && break; sleep 1; done
        mountpoint -q "$mnt" && umount -l "$mnt"
    fi
    if [[ -n $loop_dev ]]; then
        losetup -d "$loop_dev" 2>/dev/null
        loop_dev=
    fi
    if mountpoint -q "$fuse_dir" 2>/dev/null; then
        for i in 1 2 3 4 5; do umount "$fuse_dir" 2>/dev/null && break; sleep 1; done
        mountpoint -q "$fuse_dir" && umount -l "$fuse_dir"
    fi
    if [[ -n $fuse_pid ]]; then
        for i in $(seq 1 20); do kill -0 "$fuse_pid" 2>/dev/null || break; sleep 0.1; done
        kill "$fuse_pid" 2>/dev/null
        wait "$fuse_pid" 2>/dev/null
        fuse_pid=
    fi
}
cleanup() {
    cd / || true
    teardown
    # Only remove the scratch folder once nothing is mounted in it any more.
    if ! findmnt -rn -o TARGET | grep -qF -- "$scratch"; then
        rm -rf -- "$scratch"
    else
        echo "slow_device: something is still mounted under $scratch; left in place" >&2
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# --- the tools --------------------------------------------------------------------------------

latency_dev=$scratch/latency_dev
yardstick=$scratch/yardstick
direct_read=$scratch/direct_read
# shellcheck disable=SC2046  # pkg-config's flags are words
"${CC:-cc}" -O2 -std=c11 -Wall -o "$latency_dev" "$root/bench/latency_dev.c" \
    $(pkg-config --cflags --libs fuse3) || die "cannot build latency_dev"
"${CC:-cc}" -O2 -std=c11 -Wall -pthread -o "$yardstick" "$root/bench/yardstick.c" ||
    die "cannot build yardstick"
"${CC:-cc}" -O2 -std=c11 -Wall -pthread -o "$direct_read" "$root/bench/direct_read.c" ||
    die "cannot build direct_read"

# --- the device -------------------------------------------------------------------------------

# Is $1 the mount point of a file system of type $3 (a prefix) from source $2, with a device
# number of its own? A folder that is not (a failed mount) is the disk beneath: nothing may be
# written there.
is_mounted_as() {
    local dir=$1 source=$2 type=$3 line
    # Raw output: one space between the columns, whatever their widths.
    line=$(findmnt -n -r -o SOURCE,FSTYPE --mountpoint "$dir" 2>/dev/null | tail -n 1) || return 1
    [[ $line == "$source $type"* ]] || return 1
    [[ $(stat -c %d -- "$dir") != $(stat -c %d -- "$dir/..") ]]
}

# Stops the benchmark unless the ext4 of the slow device is mounted at $mnt.
check_device() {
    is_mounted_as "$mnt" "$loop_dev" ext4 ||
        die "$mnt is not the slow device's ext4 (findmnt: $(findmnt -n --mountpoint "$mnt" 2>&1 || echo none)); stopping before anything is written"
}

# Builds the slow device of profile $1 and mounts its ext4 at $mnt.
build_device() {
    local read_ms write_ms flush_ms i
    read -r read_ms write_ms flush_ms <<<"${profile_delays[$1]}"
    rm -f -- "$image"
    truncate -s "${image_mib}M" -- "$image" || die "cannot make the image"
    mkdir -p -- "$fuse_dir" "$mnt"
    "$latency_dev" -r "$read_ms" -w "$write_ms" -s "$flush_ms" "$image" "$fuse_dir" \
        -o "fsname=$fs_name,max_idle_threads=64" &
    fuse_pid=$!
    for ((i = 0; i < 50; ++i)); do
        is_mounted_as "$fuse_dir" "$fs_name" fuse && break
        kill -0 "$fuse_pid" 2>/dev/null || die "latency_dev stopped before its file system was mounted"
        sleep 0.1
    done
    is_mounted_as "$fuse_dir" "$fs_name" fuse || die "latency_dev's file system is not mounted at $fuse_dir"
    [[ $(stat -c %s -- "$fuse_dir/image") == $((image_mib * 1024 * 1024)) ]] ||
        die "$fuse_dir/image is not the image"
    loop_dev=$(losetup --direct-io=on -f --show -- "$fuse_dir/image") || die "cannot attach a loop device"
    [[ $(cat "/sys/block/${loop_dev#/dev/}/loop/dio" 2>/dev/null) == 1 ]] ||
        die "$loop_dev does not use direct I/O: its page cache would hide the delays"
    # The tables and the journal are written now, not by a background thread during the runs.
    mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 -- "$loop_dev" || die "mkfs.ext4 failed"
    mount -t ext4 -- "$loop_dev" "$mnt" || die "cannot mount $loop_dev"
    check_device
    echo "device:  $1 (read $read_ms ms, write $write_ms ms, flush $flush_ms ms), $image_mib MiB image,"
    echo "         latency_dev at $fuse_dir, $loop_dev (direct I/O), ext4 at $mnt"
}

# --- timing -----------------------------------------------------------------------------------

elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "inf" }'; }
median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
        END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f", m }'
}
load_average() { cut -d' ' -f1-3 /proc/loadavg; }

work=$mnt/work
master=$scratch/master

# A fresh copy of the case's files in $work, on the medium before the clock starts.
fill() {
    check_device
    rm -rf -- "$work"
    cp -a -- "$master" "$work" || die "cannot copy the files onto the device"
    sync -f -- "$work" || die "sync failed"
}

# Runs "$@" with its output thrown away and leaves the wall time in $run_seconds; a failed
# run or a file left behind stops the benchmark, as its time would mean nothing.
time_run() {
    local start end status=0
    check_device
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>"$scratch/stderr" || status=$?
    end=$EPOCHREALTIME
    if (( status != 0 )); then
        echo "slow_device: '$*' failed with status $status:" >&2
        head -n 20 "$scratch/stderr" >&2
        exit 1
    fi
    [[ ! -e $work ]] || die "'$1' left $work behind"
    run_seconds=$(elapsed "$start" "$end")
}

# GNU shred over the files (named in the order of the folder), then the folder, which
# quorrel-shred --folder and the yardstick remove too.
shred_folder() {
    local -a files=("$work"/*)
    "$shred_bin" "$@" -u -- "${files[@]}" && rmdir -- "$work"
}

tools=(quorrel yard1 "yard$in_flight" shred)
declare -A tool_label=([quorrel]=quorrel-shred [yard1]="yardstick -j 1" [yard$in_flight]="yardstick -j $in_flight" [shred]="GNU shred")

# Times one tool on the filled folder under method $2 ($1 the tool).
run_tool() {
    local tool=$1 method=$2 passes shred_args
    if (( method == 0 )); then passes=0; shred_args=(-n 0 -z); else passes=0x00,0xFF,0x00; shred_args=(-n 3); fi
    case $tool in
        quorrel) time_run "$quorrel" --yes --method "$method" --folder "$work" ;;
        verify) time_run "$quorrel" --yes --method "$method" --verify --folder "$work" ;;
        read) time_read ;;
        yardv) time_run "$yardstick" -j "$in_flight" -v -p "$passes" "$work" ;;
        yard1) time_run "$yardstick" -j 1 -p "$passes" "$work" ;;
        yard*) time_run "$yardstick" -j "$in_flight" -p "$passes" "$work" ;;
        shred) time_run shred_folder "${shred_args[@]}" ;;
    esac
}

# Times one read of every file in $work from the medium (one file: alone; many: as many at once
# as quorrel-shred keeps in flight), then removes them, untimed.
time_read() {
    local -a files=("$work"/*)
    local jobs=$in_flight start end
    (( ${#files[@]} > 1 )) || jobs=1
    check_device
    start=$EPOCHREALTIME
    "$direct_read" -j "$jobs" "$work" >/dev/null 2>"$scratch/stderr" || {
        echo "slow_device: direct_read failed:" >&2
        head -n 20 "$scratch/stderr" >&2
        exit 1
    }
    end=$EPOCHREALTIME
    run_seconds=$(elapsed "$start" "$end")
    rm -rf -- "$work"
}

summary=()

# Makes the case's files in $master.
make_master() {
    local count=$1 kib=$2
    rm -rf -- "$master"
    mkdir -- "$master"
    head -c "$((count * kib * 1024))" /dev/urandom >"$master/all"
    (cd "$master" && split -b "$((kib * 1024))" -a 4 -d -- all f && rm -- all)
}

# One case: makes its files, then $runs rounds of every tool, each round starting with the
# next tool in turn so that none always runs first after the fill.
run_case() {
    local name=$1 profile count kib method
    read -r profile count kib method <<<"${case_spec[$name]}"
    if [[ $name == *verify* ]]; then
        run_verify_case "$name"
        return
    fi
    make_master "$count" "$kib"
    echo "Case $name: $profile, $count files of $kib KiB, method $method (load $(load_average))"
    declare -A times=()
    local round step tool
    for ((round = 0; round < runs; ++round)); do
        for ((step = 0; step < ${#tools[@]}; ++step)); do
            tool=${tools[(round + step) % ${#tools[@]}]}
            fill
            run_tool "$tool" "$method"
            times[$tool]+="$run_seconds "
            printf '  run %d  %-15s %8s s\n' "$((round + 1))" "${tool_label[$tool]}" "$run_seconds"
        done
    done
    # Per-round ratios (neighbours in time), then their medians.
    local -a q s y1 y8 r_shred=() r_y1=() r_y8=()
    read -r -a q <<<"${times[quorrel]}"
    read -r -a s <<<"${times[shred]}"
    read -r -a y1 <<<"${times[yard1]}"
    read -r -a y8 <<<"${times[yard$in_flight]}"
    for ((round = 0; round < runs; ++round)); do
        r_shred+=("$(ratio "${q[round]}" "${s[round]}")")
        r_y1+=("$(ratio "${q[round]}" "${y1[round]}")")
        r_y8+=("$(ratio "${q[round]}" "${y8[round]}")")
    done
    local m_q m_s m_y1 m_y8 rs ry1 ry8 load
    m_q=$(median "${q[@]}"); m_s=$(median "${s[@]}"); m_y1=$(median "${y1[@]}"); m_y8=$(median "${y8[@]}")
    rs=$(median "${r_shred[@]}"); ry1=$(median "${r_y1[@]}"); ry8=$(median "${r_y8[@]}")
    load=$(load_average)
    printf '  medians: quorrel-shred %s s, GNU shred %s s, yardstick -j 1 %s s, yardstick -j %d %s s\n' \
        "$m_q" "$m_s" "$m_y1" "$in_flight" "$m_y8"
    printf '  ratios (median of %d rounds): quorrel/shred %.2f, quorrel/yardstick serial %.2f, quorrel/yardstick %d in flight %.2f  (load %s)\n\n' \
        "$runs" "$rs" "$ry1" "$in_flight" "$ry8" "$load"
    summary+=("$(printf '| %s, %d x %d KiB, method %d | %.2f | %.2f | %.2f | %s | %s | %s | %s | %s |' \
        "$profile" "$count" "$kib" "$method" "$rs" "$ry1" "$ry8" "$m_q" "$m_s" "$m_y1" "$m_y8" "$load")")
}

verify_summary=()

# A verify case: quorrel-shred --verify against the plain run plus one direct read of the same
# files, and against the yardstick reading each file back after its passes ($in_flight in
# flight): each round runs the four in turn, starting with the next.
run_verify_case() {
    local name=$1 profile count kib method
    read -r profile count kib method <<<"${case_spec[$name]}"
    make_master "$count" "$kib"
    echo "Case $name: $profile, $count files of $kib KiB, method $method, --verify (load $(load_average))"
    local -a kinds=(quorrel verify read yardv) p=() v=() r=() y=() ratios=() y_ratios=()
    local round step kind
    for ((round = 0; round < runs; ++round)); do
        for ((step = 0; step < 4; ++step)); do
            kind=${kinds[(round + step) % 4]}
            fill
            run_tool "$kind" "$method"
            case $kind in
                quorrel) p+=("$run_seconds") ;;
                verify) v+=("$run_seconds") ;;
                read) r+=("$run_seconds") ;;
                yardv) y+=("$run_seconds") ;;
            esac
            printf '  run %d  %-15s %8s s\n' "$((round + 1))" "${kind/quorrel/plain}" "$run_seconds"
        done
        ratios+=("$(ratio "${v[round]}" "$(awk -v a="${p[round]}" -v b="${r[round]}" 'BEGIN { print a + b }')")")
        y_ratios+=("$(ratio "${v[round]}" "${y[round]}")")
    done
    local m_p m_v m_r m_y rv ry load
    m_p=$(median "${p[@]}"); m_v=$(median "${v[@]}"); m_r=$(median "${r[@]}"); m_y=$(median "${y[@]}")
    rv=$(median "${ratios[@]}"); ry=$(median "${y_ratios[@]}")
    load=$(load_average)
    printf '  medians: plain %s s, --verify %s s, direct read %s s, yardstick -v %s s\n' "$m_p" "$m_v" "$m_r" "$m_y"
    printf '  ratio --verify/(plain + direct read), median of %d rounds: %.2f (%s)\n' "$runs" "$rv" "${ratios[*]}"
    printf '  ratio --verify/yardstick -v -j %d, median of %d rounds: %.2f (%s)  (load %s)\n\n' \
        "$in_flight" "$runs" "$ry" "${y_ratios[*]}" "$load"
    verify_summary+=("$(printf '| %s, %d x %d KiB, method %d | %.2f | %.2f | %s | %s | %s | %s | %s |' \
        "$profile" "$count" "$kib" "$method" "$rv" "$ry" "$m_v" "$m_p" "$m_r" "$m_y" "$load")")
}

# --- runs -------------------------------------------------------------------------------------

echo "quorrel-shred: $quorrel"
echo "GNU shred:     $(command -v "$shred_bin") ($("$shred_bin" --version | head -n 1))"
echo "yardstick:     bench/yardstick.c (serial and $in_flight files in flight)"
echo "machine:       $(uname -r), $(nproc) CPUs, load $(load_average)"
echo "runs:          $runs interleaved rounds per case$( ((runs < 5)) && echo ' (fewer than 5: a quick look, not figures to quote)')"
echo

# Cases in profile order, so that each profile's device is built once.
for profile in lat5 usb flush-heavy; do
    profile_cases=()
    for c in "${case_list[@]}"; do
        [[ ${case_spec[$c]%% *} == "$profile" ]] && profile_cases+=("$c")
    done
    (( ${#profile_cases[@]} > 0 )) || continue
    build_device "$profile"
    echo
    for c in "${profile_cases[@]}"; do
        run_case "$c"
    done
    teardown
done

echo "Summary ($runs rounds per case; times are medians in seconds)"
if (( ${#summary[@]} > 0 )); then
    echo "| case | Quorrel / GNU shred | Quorrel / yardstick serial | Quorrel / yardstick, $in_flight in flight | quorrel-shred | GNU shred | yardstick serial | yardstick $in_flight in flight | load after |"
    echo "|---|---|---|---|---|---|---|---|---|"
    printf '%s\n' "${summary[@]}"
fi
if (( ${#verify_summary[@]} > 0 )); then
    echo "| case | --verify / (plain + direct read) | --verify / yardstick -v | --verify | plain | direct read | yardstick -v, $in_flight in flight | load after |"
    echo "|---|---|---|---|---|---|---|---|"
    printf '%s\n' "${verify_summary[@]}"
fi
