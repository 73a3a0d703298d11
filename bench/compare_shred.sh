#!/usr/bin/env bash
# Times quorrel-shred against GNU shred on the same work, run by run in turn, and prints every
# run's wall time and the quorrel/shred ratio of each case. See bench/README.md.
#
# Both tools always get freshly made, identical input that is already on the disk (sync before
# the clock starts), so neither pays for the other's or the setup's writeback.
set -euo pipefail
# $EPOCHREALTIME and awk must agree on the decimal point.
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)

runs=${BENCH_RUNS:-5}
base=${BENCH_DIR:-${TMPDIR:-/tmp}}
cases=${BENCH_CASES:-large,small}
large_mib=${BENCH_LARGE_MIB:-256}
small_count=${BENCH_SMALL_COUNT:-2000}
small_kib=${BENCH_SMALL_KIB:-4}
quorrel=${QUORREL_SHRED:-}
shred_bin=${SHRED:-shred}
shred_first=0
strict=0

# Ratios quorrel/shred (median of the run pairs) that count as fast enough.
target_large=1.0
target_small=1.5

usage() {
    cat <<EOF
Usage: bench/compare_shred.sh [options] [QUORREL_SHRED_BINARY]

Compares 'quorrel-shred --yes --method 1' (3 passes) with GNU 'shred -n 3 -u'.

  -b, --binary PATH    quorrel-shred to time (also QUORREL_SHRED, or the one positional
                       argument); default: configure and build $root/build-bench
  -r, --runs N         runs of each tool per case, alternating (BENCH_RUNS, default $runs)
  -d, --dir DIR        folder the scratch folder is made in (BENCH_DIR, else \$TMPDIR,
                       else /tmp); point it at a real disk to measure that disk
  -c, --cases LIST     any of large, small, verify, comma-separated (BENCH_CASES, default
                       $cases); verify times --verify against the same run without it
      --large-mib N    size of the large file in MiB (BENCH_LARGE_MIB, default $large_mib)
      --small-count N  number of small files (BENCH_SMALL_COUNT, default $small_count)
      --small-kib N    size of each small file in KiB (BENCH_SMALL_KIB, default $small_kib)
      --shred-first    start every pair with shred instead of quorrel-shred
      --strict         exit with status 3 when a ratio misses its target
  -h, --help           show this text

Environment: SHRED names the GNU shred to use (default: shred on PATH).
EOF
}

die() {
    echo "compare_shred: $*" >&2
    exit 2
}

need_value() {
    [[ $# -ge 2 && -n $2 ]] || die "$1 needs a value"
}

while [[ $# -gt 0 ]]; do
    case $1 in
        -b | --binary) need_value "$@"; quorrel=$2; shift 2 ;;
        -r | --runs) need_value "$@"; runs=$2; shift 2 ;;
        -d | --dir) need_value "$@"; base=$2; shift 2 ;;
        -c | --cases) need_value "$@"; cases=$2; shift 2 ;;
        --large-mib) need_value "$@"; large_mib=$2; shift 2 ;;
        --small-count) need_value "$@"; small_count=$2; shift 2 ;;
        --small-kib) need_value "$@"; small_kib=$2; shift 2 ;;
        --shred-first) shred_first=1; shift ;;
        --strict) strict=1; shift ;;
        -h | --help) usage; exit 0 ;;
        -*) die "unknown option $1 (see --help)" ;;
        *) [[ -z $quorrel ]] || die "more than one binary given"; quorrel=$1; shift ;;
    esac
done

for pair in "runs:$runs" "large-mib:$large_mib" "small-count:$small_count" \
            "small-kib:$small_kib"; do
    [[ ${pair#*:} =~ ^[1-9][0-9]*$ ]] || die "--${pair%%:*} needs a whole number above 0"
done
do_large=0
do_small=0
do_verify=0
IFS=, read -r -a case_list <<<"$cases"
for c in "${case_list[@]}"; do
    case $c in
        large) do_large=1 ;;
        small) do_small=1 ;;
        verify) do_verify=1 ;;
        *) die "unknown case '$c' (large, small, verify)" ;;
    esac
done
[[ $do_large -eq 1 || $do_small -eq 1 || $do_verify -eq 1 ]] || die "no case chosen"
# The verify case works on the large file.
(( do_verify == 0 )) || do_large_input=1

[[ -d $base ]] || die "no such folder: $base"
command -v "$shred_bin" >/dev/null || die "GNU shred not found ($shred_bin)"
command -v awk >/dev/null || die "awk is needed"

if [[ -z $quorrel ]]; then
    echo "Building quorrel-shred in $root/build-bench ..." >&2
    cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUORREL_TESTS=OFF >/dev/null
    cmake --build "$root/build-bench" >/dev/null
    quorrel=$root/build-bench/cli/quorrel-shred
fi
[[ -x $quorrel ]] || die "not an executable: $quorrel"
quorrel=$(cd "$(dirname "$quorrel")" && pwd)/$(basename "$quorrel")

scratch=$(mktemp -d "$base/quorrel-bench.XXXXXX")
cleanup() { rm -rf -- "$scratch"; }
trap cleanup EXIT
trap 'exit 130' INT TERM

# Room for the master copy and the working copy of each case, plus some slack.
need_kib=$(( (${do_large_input:-$do_large} * 2 * large_mib * 1024) + (do_small * 2 * small_count * (small_kib + 4)) + 65536 ))
free_kib=$(df -Pk "$scratch" | awk 'NR == 2 { print $4 }')
(( free_kib > need_kib )) || die "$scratch has ${free_kib} KiB free, needs about ${need_kib} KiB"

fs_type=$(df -PT "$scratch" | awk 'NR == 2 { print $2 }')
fs_source=$(df -PT "$scratch" | awk 'NR == 2 { print $1 }')
echo "quorrel-shred: $quorrel"
echo "shred:         $(command -v "$shred_bin") ($("$shred_bin" --version | head -n 1))"
echo "scratch:       $scratch (file system $fs_type on $fs_source)"
echo "kernel:        $(uname -r), $(nproc 2>/dev/null || echo '?') CPUs"
echo "runs:          $runs of each tool per case, alternating"
if [[ $fs_type == tmpfs || $fs_type == ramfs ]]; then
    echo "note:          $fs_type keeps data in memory; flushes are nearly free there, so this"
    echo "               measures CPU and system-call cost, not the disk."
fi
echo

# Seconds between two $EPOCHREALTIME readings.
elapsed() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'
}

# Median of the numbers given.
median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
        END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
              printf "%.3f", m }'
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.3f", a / b; else print "inf" }'
}

# Runs "$@" with stdout thrown away and stderr kept in $scratch/stderr, and leaves the wall
# time in seconds in $run_seconds. A failed run stops the benchmark: its time would mean
# nothing.
time_command() {
    local start end status=0
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>"$scratch/stderr" || status=$?
    end=$EPOCHREALTIME
    if [[ $status -ne 0 ]]; then
        echo "compare_shred: '$*' failed with status $status:" >&2
        cat "$scratch/stderr" >&2
        exit 1
    fi
    run_seconds=$(elapsed "$start" "$end")
}

# shred leaves the folder itself behind; removing it is part of the same job quorrel-shred's
# --folder does, so it is timed too (one rmdir, well below a millisecond).
shred_folder() {
    local folder=$1
    shift
    "$shred_bin" -n 3 -u -- "$@" && rmdir -- "$folder"
}

# --- input ----------------------------------------------------------------------------------

large_master=$scratch/large.master
large_file=$scratch/large.dat
small_master=$scratch/small.master
small_dir=$scratch/smallfiles

make_masters() {
    if [[ $do_large -eq 1 || $do_verify -eq 1 ]]; then
        head -c "$((large_mib * 1024 * 1024))" /dev/urandom >"$large_master"
    fi
    if [[ $do_small -eq 1 ]]; then
        head -c "$((small_count * small_kib * 1024))" /dev/urandom >"$small_master"
    fi
}

# A fresh copy of the large file, on the disk before the clock starts.
prepare_large() {
    rm -f -- "$large_file"
    cp --reflink=never -- "$large_master" "$large_file"
    sync
}

# A fresh folder of small files named f0000, f0001, ... (the same names every run: shred's
# renaming works through the name one character at a time, so the name length matters).
prepare_small() {
    rm -rf -- "$small_dir"
    mkdir -- "$small_dir"
    local digits=${#small_count}
    (( digits >= 4 )) || digits=4
    split -b "$((small_kib * 1024))" -a "$digits" -d -- "$small_master" "$small_dir/f"
    sync
}

check_gone() {
    if [[ -e $1 ]]; then
        echo "compare_shred: $2 left $1 behind" >&2
        exit 1
    fi
}

# --- runs -----------------------------------------------------------------------------------

# One case: $1 name, $2 target ratio. Fills the globals below and prints one line per run.
run_case() {
    local name=$1 target=$2
    local -a q_times=() s_times=() pair_ratios=()
    local i step tool q s
    for ((i = 1; i <= runs; ++i)); do
        for step in 0 1; do
            if (( step == shred_first )); then tool=quorrel; else tool=shred; fi
            if [[ $name == large ]]; then
                prepare_large
                if [[ $tool == quorrel ]]; then
                    time_command "$quorrel" --yes --method 1 -- "$large_file"
                else
                    time_command "$shred_bin" -n 3 -u -- "$large_file"
                fi
                check_gone "$large_file" "$tool"
            else
                prepare_small
                if [[ $tool == quorrel ]]; then
                    time_command "$quorrel" --yes --method 1 --folder "$small_dir"
                else
                    local -a files=("$small_dir"/f*)
                    time_command shred_folder "$small_dir" "${files[@]}"
                fi
                check_gone "$small_dir" "$tool"
            fi
            if [[ $tool == quorrel ]]; then q=$run_seconds; q_times+=("$q"); else s=$run_seconds; s_times+=("$s"); fi
            printf '%-6s run %2d  %-13s %8s s\n' "$name" "$i" \
                "$([[ $tool == quorrel ]] && echo quorrel-shred || echo shred)" "$run_seconds"
        done
        pair_ratios+=("$(ratio "$q" "$s")")
    done
    local q_med s_med pair_med med_ratio verdict
    q_med=$(median "${q_times[@]}")
    s_med=$(median "${s_times[@]}")
    pair_med=$(median "${pair_ratios[@]}")
    med_ratio=$(ratio "$q_med" "$s_med")
    if awk -v r="$pair_med" -v t="$target" 'BEGIN { exit !(r <= t) }'; then
        verdict="meets target <= $target"
    else
        verdict="MISSES target <= $target"
        missed=1
    fi
    printf '%-6s median quorrel-shred %s s, shred %s s\n' "$name" "$q_med" "$s_med"
    printf '%-6s ratio quorrel/shred: %s (median of the %d run pairs: %s); ratio of medians %s\n' \
        "$name" "$pair_med" "$runs" "${pair_ratios[*]}" "$med_ratio"
    printf '%-6s %s\n\n' "$name" "$verdict"
    summary+=("$(printf '%-6s %-40s ratio %s  %s' "$name" "$3" "$pair_med" "$verdict")")
}

# The cost of --verify: one pass of zeros read back from the disk, against the same pass
# without the read-back. Fills the summary like run_case.
run_verify_case() {
    local -a v_times=() p_times=() pair_ratios=()
    local i v p
    for ((i = 1; i <= runs; ++i)); do
        prepare_large
        time_command "$quorrel" --yes --method 0 -- "$large_file"
        p=$run_seconds
        p_times+=("$p")
        prepare_large
        time_command "$quorrel" --yes --method 0 --verify -- "$large_file"
        v=$run_seconds
        v_times+=("$v")
        check_gone "$large_file" "quorrel-shred --verify"
        printf 'verify run %2d  plain %8s s  --verify %8s s\n' "$i" "$p" "$v"
        pair_ratios+=("$(ratio "$v" "$p")")
    done
    local pair_med verdict
    pair_med=$(median "${pair_ratios[@]}")
    if awk -v r="$pair_med" 'BEGIN { exit !(r <= 1.5) }'; then
        verdict="meets target <= 1.5"
    else
        verdict="MISSES target <= 1.5"
        missed=1
    fi
    printf 'verify ratio --verify/plain: %s (median of %d pairs: %s)\n\n' "$pair_med" "$runs" \
        "${pair_ratios[*]}"
    summary+=("$(printf '%-6s %-40s ratio %s  %s' verify "1 pass of zeros, read back" "$pair_med" "$verdict")")
}

missed=0
summary=()
echo "Making the input (untimed) ..."
make_masters
sync
echo

if [[ $do_large -eq 1 ]]; then
    echo "Case large: one file of $large_mib MiB"
    run_case large "$target_large" "1 file of $large_mib MiB"
fi
if [[ $do_small -eq 1 ]]; then
    echo "Case small: folder of $small_count files of $small_kib KiB"
    run_case small "$target_small" "$small_count files of $small_kib KiB"
fi

if [[ $do_verify -eq 1 ]]; then
    echo "Case verify: one pass of zeros over $large_mib MiB, with and without --verify"
    run_verify_case
fi

echo "Summary ($fs_type, $runs runs each)"
printf '%s\n' "${summary[@]}"

if [[ $strict -eq 1 && $missed -eq 1 ]]; then
    exit 3
fi
