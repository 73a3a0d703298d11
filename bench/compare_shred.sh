#!/usr/bin/env bash
# Times quorrel-shred against a peer on the same work, run by run in turn, and prints every
# run's wall time and the quorrel/peer ratio of each case. The peers: GNU shred, dd, a minimal
# C writer, and quorrel-shred's own folder run. See bench/README.md.
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
minimal_mib=${BENCH_MINIMAL_MIB:-1024}
small_count=${BENCH_SMALL_COUNT:-2000}
small_kib=${BENCH_SMALL_KIB:-4}
random_mib=${BENCH_RANDOM_MIB:-64}
list_counts=${BENCH_LIST_COUNTS:-10000,50000,100000}
list_base=${BENCH_LIST_DIR:-}
quorrel=${QUORREL_SHRED:-}
shred_bin=${SHRED:-shred}
shred_first=0
strict=0

# Ratios quorrel/peer (median of the run pairs) that count as fast enough.
target_large=1.0
target_small=1.5
target_random=1.0    # method 3 against shred -n 30 -u
target_random_dd=1.2 # method 3 against 30 dd passes
target_minimal=1.1   # method 1 against the minimal writer (a floor, not a rival)
target_list=1.2      # the list run against the folder run over the same files
target_verify=1.1    # --verify against the plain run plus one direct read of the same input

usage() {
    cat <<EOF
Usage: bench/compare_shred.sh [options] [QUORREL_SHRED_BINARY]

Cases (quorrel-shred against a peer on the same input):
  large      --method 1 (3 passes) against GNU 'shred -n 3 -u', one large file
  small      --method 1 --folder against 'shred -n 3 -u' on every file, many small files
  random     --method 3 (30 random passes) against 'shred -n 30 -u', one file
  random-dd  --method 3 against 30 passes of dd (zeros, fdatasync each) on the same file
  minimal    --method 1 against min_writer: 3 passes, one fdatasync each, truncate, unlink,
             one file of --minimal-mib
  list       the list run 'quorrel-shred PATH...' against '--folder' over the same
             1-byte files, once per count of --list-counts

  -b, --binary PATH    quorrel-shred to time (also QUORREL_SHRED, or the one positional
                       argument); default: configure and build $root/build-bench
  -r, --runs N         runs of each tool per case, alternating (BENCH_RUNS, default $runs)
  -d, --dir DIR        folder the scratch folder is made in (BENCH_DIR, else \$TMPDIR,
                       else /tmp); point it at a real disk to measure that disk
  -c, --cases LIST     comma-separated cases from the list above, or verify / verify-small
                       (--verify on the large file / the small files against the same run
                       without it plus one direct read of the same input) (BENCH_CASES,
                       default $cases)
      --large-mib N    size of the large file in MiB (BENCH_LARGE_MIB, default $large_mib)
      --minimal-mib N  size of the minimal case's file in MiB (BENCH_MINIMAL_MIB, default
                       $minimal_mib)
      --small-count N  number of small files (BENCH_SMALL_COUNT, default $small_count)
      --small-kib N    size of each small file in KiB (BENCH_SMALL_KIB, default $small_kib)
      --random-mib N   size of the file of the random cases (BENCH_RANDOM_MIB, default $random_mib)
      --list-counts L  file counts of the list case (BENCH_LIST_COUNTS, default $list_counts)
      --list-dir DIR   folder the list case's files are made in (BENCH_LIST_DIR, default: the
                       scratch folder); /dev/shm measures the system calls, not the disk
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
        --minimal-mib) need_value "$@"; minimal_mib=$2; shift 2 ;;
        --small-count) need_value "$@"; small_count=$2; shift 2 ;;
        --small-kib) need_value "$@"; small_kib=$2; shift 2 ;;
        --random-mib) need_value "$@"; random_mib=$2; shift 2 ;;
        --list-counts) need_value "$@"; list_counts=$2; shift 2 ;;
        --list-dir) need_value "$@"; list_base=$2; shift 2 ;;
        --shred-first) shred_first=1; shift ;;
        --strict) strict=1; shift ;;
        -h | --help) usage; exit 0 ;;
        -*) die "unknown option $1 (see --help)" ;;
        *) [[ -z $quorrel ]] || die "more than one binary given"; quorrel=$1; shift ;;
    esac
done

for pair in "runs:$runs" "large-mib:$large_mib" "minimal-mib:$minimal_mib" "small-count:$small_count" \
            "small-kib:$small_kib" "random-mib:$random_mib"; do
    [[ ${pair#*:} =~ ^[1-9][0-9]*$ ]] || die "--${pair%%:*} needs a whole number above 0"
done
[[ $list_counts =~ ^[1-9][0-9]*(,[1-9][0-9]*)*$ ]] || die "--list-counts needs numbers like 10000,50000"
do_large=0
do_small=0
do_random=0
do_random_dd=0
do_minimal=0
do_list=0
do_verify=0
do_verify_small=0
IFS=, read -r -a case_list <<<"$cases"
for c in "${case_list[@]}"; do
    case $c in
        large) do_large=1 ;;
        small) do_small=1 ;;
        random) do_random=1 ;;
        random-dd) do_random_dd=1 ;;
        minimal) do_minimal=1 ;;
        list) do_list=1 ;;
        verify) do_verify=1 ;;
        verify-small) do_verify_small=1 ;;
        *) die "unknown case '$c' (large, small, random, random-dd, minimal, list, verify, verify-small)" ;;
    esac
done
(( do_large + do_small + do_random + do_random_dd + do_minimal + do_list + do_verify + do_verify_small > 0 )) ||
    die "no case chosen"
do_random_file=$(( do_random | do_random_dd ))
IFS=, read -r -a list_count_list <<<"$list_counts"
list_max=0
for n in "${list_count_list[@]}"; do (( n > list_max )) && list_max=$n; done
(( do_list == 1 )) || list_max=0

[[ -d $base ]] || die "no such folder: $base"
[[ -z $list_base || -d $list_base ]] || die "no such folder: $list_base"
command -v "$shred_bin" >/dev/null || die "GNU shred not found ($shred_bin)"
command -v awk >/dev/null || die "awk is needed"
if (( do_minimal == 1 || do_verify == 1 || do_verify_small == 1 )); then
    command -v "${CC:-cc}" >/dev/null || die "a C compiler is needed for the minimal and verify cases (CC)"
fi

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
list_scratch=$scratch
cleanup() {
    rm -rf -- "$scratch"
    [[ $list_scratch == "$scratch" ]] || rm -rf -- "$list_scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Room for the master copy and the working copy of each case, plus some slack.
if [[ -n $list_base && $do_list -eq 1 ]]; then
    list_scratch=$(mktemp -d "$list_base/quorrel-bench-list.XXXXXX")
fi
need_kib=$(( (( do_large | do_verify ) * 2 * large_mib * 1024) + (do_minimal * 2 * minimal_mib * 1024) \
             + ((do_small | do_verify_small) * 2 * small_count * (small_kib + 4)) + (do_random_file * 2 * random_mib * 1024) + 65536 ))
[[ $list_scratch == "$scratch" ]] && need_kib=$(( need_kib + list_max * 8 ))
free_kib=$(df -Pk "$scratch" | awk 'NR == 2 { print $4 }')
(( free_kib > need_kib )) || die "$scratch has ${free_kib} KiB free, needs about ${need_kib} KiB"
if [[ $list_scratch != "$scratch" ]]; then
    free_kib=$(df -Pk "$list_scratch" | awk 'NR == 2 { print $4 }')
    (( free_kib > list_max * 8 + 65536 )) || die "$list_scratch has ${free_kib} KiB free, needs about $(( list_max * 8 + 65536 )) KiB"
fi

fs_type=$(df -PT "$scratch" | awk 'NR == 2 { print $2 }')
fs_source=$(df -PT "$scratch" | awk 'NR == 2 { print $1 }')
echo "quorrel-shred: $quorrel"
echo "shred:         $(command -v "$shred_bin") ($("$shred_bin" --version | head -n 1))"
if (( do_minimal == 1 )); then
    min_writer=$scratch/min_writer
    "${CC:-cc}" -O2 -std=c99 -o "$min_writer" "$root/bench/min_writer.c" || die "cannot build min_writer"
    echo "min_writer:    $root/bench/min_writer.c, built with ${CC:-cc} -O2"
fi
if (( do_verify == 1 || do_verify_small == 1 )); then
    direct_read=$scratch/direct_read
    "${CC:-cc}" -O2 -std=c11 -pthread -o "$direct_read" "$root/bench/direct_read.c" || die "cannot build direct_read"
    echo "direct_read:   $root/bench/direct_read.c, built with ${CC:-cc} -O2"
fi
echo "scratch:       $scratch (file system $fs_type on $fs_source)"
if [[ $list_scratch != "$scratch" ]]; then
    echo "list case:     $list_scratch (file system $(df -PT "$list_scratch" | awk 'NR == 2 { print $2 }'))"
fi
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
minimal_master=$scratch/minimal.master
minimal_file=$scratch/minimal.dat
small_master=$scratch/small.master
small_dir=$scratch/smallfiles
random_master=$scratch/random.master
random_file=$scratch/random.dat
list_dir=$list_scratch/listfiles

make_masters() {
    if (( do_large == 1 || do_verify == 1 )); then
        head -c "$((large_mib * 1024 * 1024))" /dev/urandom >"$large_master"
    fi
    if (( do_minimal == 1 )); then
        head -c "$((minimal_mib * 1024 * 1024))" /dev/urandom >"$minimal_master"
    fi
    if (( do_random_file == 1 )); then
        head -c "$((random_mib * 1024 * 1024))" /dev/urandom >"$random_master"
    fi
    if (( do_small == 1 || do_verify_small == 1 )); then
        head -c "$((small_count * small_kib * 1024))" /dev/urandom >"$small_master"
    fi
}

# A fresh copy of the large file, on the disk before the clock starts.
prepare_large() {
    rm -f -- "$large_file"
    cp --reflink=never -- "$large_master" "$large_file"
    sync
}

prepare_minimal() {
    rm -f -- "$minimal_file"
    cp --reflink=never -- "$minimal_master" "$minimal_file"
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

prepare_random() {
    rm -f -- "$random_file"
    cp --reflink=never -- "$random_master" "$random_file"
    sync
}

# $1 one-byte files named f0000000, ... in a fresh folder (the names are given to the list run
# relative to the folder, so that 100,000 of them fit on a command line).
prepare_list() {
    rm -rf -- "$list_dir"
    mkdir -- "$list_dir"
    (cd "$list_dir" && seq -f 'f%07g' 0 $(( $1 - 1 )) | xargs sh -c 'for f; do printf x >"$f"; done' sh)
    sync
}

# 30 passes of dd over the file, each flushed once (conv=fdatasync), then removal.
dd_passes() {
    local file=$1 blocks
    blocks=$(( ($(stat -c %s -- "$file") + 262143) / 262144 ))
    for ((p = 0; p < 30; ++p)); do
        dd if=/dev/zero of="$file" bs=256K count="$blocks" conv=notrunc,fdatasync status=none
    done
    rm -f -- "$file"
}

# The list run over every file of the folder, given as names relative to it.
list_run() {
    local -a files
    cd "$list_dir" && files=(f*) && "$quorrel" --yes --method 1 -- "${files[@]}"
    local status=$?
    cd "$scratch" || return 1
    return $status
}

# The load average (1, 5 and 15 minutes): the machine may be shared, and its load moves the
# times; the ratios of neighbouring runs hold up better.
load_average() {
    cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo '? ? ?'
}

check_gone() {
    if [[ -e $1 ]]; then
        echo "compare_shred: $2 left $1 behind" >&2
        exit 1
    fi
}

# --- runs -----------------------------------------------------------------------------------

# The peer each case is measured against.
peer_of() {
    case $1 in
        large | small | random) echo shred ;;
        random-dd) echo dd ;;
        minimal) echo min_writer ;;
        list*) echo folder-run ;;
    esac
}

# Makes case $1's input, untimed.
prepare_case() {
    case $1 in
        large) prepare_large ;;
        minimal) prepare_minimal ;;
        small) prepare_small ;;
        random | random-dd) prepare_random ;;
        list*) prepare_list "${1#list}" ;;
    esac
}

# Times one run of case $1 by $2 (quorrel or the peer) and checks that the input is gone.
run_tool() {
    local name=$1 tool=$2
    case $name:$tool in
        large:quorrel) time_command "$quorrel" --yes --method 1 -- "$large_file" ;;
        large:peer) time_command "$shred_bin" -n 3 -u -- "$large_file" ;;
        minimal:quorrel) time_command "$quorrel" --yes --method 1 -- "$minimal_file" ;;
        minimal:peer) time_command "$min_writer" "$minimal_file" ;;
        small:quorrel) time_command "$quorrel" --yes --method 1 --folder "$small_dir" ;;
        small:peer)
            local -a files=("$small_dir"/f*)
            time_command shred_folder "$small_dir" "${files[@]}" ;;
        random:quorrel | random-dd:quorrel) time_command "$quorrel" --yes --method 3 -- "$random_file" ;;
        random:peer) time_command "$shred_bin" -n 30 -u -- "$random_file" ;;
        random-dd:peer) time_command dd_passes "$random_file" ;;
        list*:quorrel) time_command list_run ;;
        list*:peer) time_command "$quorrel" --yes --method 1 --folder "$list_dir" ;;
    esac
    case $name in
        large) check_gone "$large_file" "$tool" ;;
        minimal) check_gone "$minimal_file" "$tool" ;;
        small) check_gone "$small_dir" "$tool" ;;
        random | random-dd) check_gone "$random_file" "$tool" ;;
        list*)
            if compgen -G "$list_dir/*" >/dev/null; then
                echo "compare_shred: $tool left files in $list_dir" >&2
                exit 1
            fi ;;
    esac
}

# One case: $1 name, $2 target ratio, $3 its description. Prints one line per run and the
# case's medians and ratios, and adds its line to the summary.
run_case() {
    local name=$1 target=$2 peer
    peer=$(peer_of "$name")
    local -a q_times=() s_times=() pair_ratios=()
    local i step tool q s load_start
    load_start=$(load_average)
    for ((i = 1; i <= runs; ++i)); do
        for step in 0 1; do
            if (( step == shred_first )); then tool=quorrel; else tool=peer; fi
            prepare_case "$name"
            run_tool "$name" "$tool"
            if [[ $tool == quorrel ]]; then q=$run_seconds; q_times+=("$q"); else s=$run_seconds; s_times+=("$s"); fi
            printf '%-9s run %2d  %-13s %8s s\n' "$name" "$i" \
                "$([[ $tool == quorrel ]] && echo quorrel-shred || echo "$peer")" "$run_seconds"
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
    printf '%-9s median quorrel-shred %s s, %s %s s\n' "$name" "$q_med" "$peer" "$s_med"
    printf '%-9s ratio quorrel/%s: %s (median of the %d run pairs: %s); ratio of medians %s\n' \
        "$name" "$peer" "$pair_med" "$runs" "${pair_ratios[*]}" "$med_ratio"
    printf '%-9s %s\n' "$name" "$verdict"
    printf '%-9s load average (1/5/15 min) %s at the start, %s at the end\n\n' "$name" \
        "$load_start" "$(load_average)"
    summary+=("$(printf '%-9s %-44s ratio %s  %s  (load %s)' "$name" "$3 vs $peer" "$pair_med" \
        "$verdict" "$(load_average)")")
}

# The cost of --verify (case $1: verify, the large file; verify-small, the folder of small
# files): one pass of zeros with the read-back, against the same pass without it plus one
# read of the same input from the disk past the cache (direct_read: one file at a time for the
# large file, as many files at once as quorrel-shred keeps in flight for the small ones). Each
# round runs the three in turn, each round starting with the next, on fresh input each time.
# Fills the summary like run_case.
run_verify_case() {
    local name=$1 input prepare jobs
    if [[ $name == verify ]]; then
        input=$large_file prepare=prepare_large jobs=1
    else
        input=$small_dir prepare=prepare_small jobs=8
    fi
    local -a kinds=(plain verify read) v_times=() p_times=() r_times=() pair_ratios=() old_ratios=()
    local i step kind v p r load_start
    load_start=$(load_average)
    for ((i = 1; i <= runs; ++i)); do
        for ((step = 0; step < 3; ++step)); do
            kind=${kinds[(i - 1 + step) % 3]}
            $prepare
            case $kind in
                plain) time_quorrel_on "$input" ;;
                verify) time_quorrel_on "$input" --verify ;;
                read) time_command "$direct_read" -j "$jobs" "$input" ;;
            esac
            case $kind in
                plain) p=$run_seconds; p_times+=("$p") ;;
                verify) v=$run_seconds; v_times+=("$v") ;;
                read) r=$run_seconds; r_times+=("$r") ;;
            esac
            [[ $kind == read ]] || check_gone "$input" "quorrel-shred ($kind)"
        done
        printf '%-12s run %2d  plain %8s s  --verify %8s s  direct read %8s s\n' "$name" "$i" "$p" "$v" "$r"
        pair_ratios+=("$(ratio "$v" "$(awk -v a="$p" -v b="$r" 'BEGIN { printf "%.3f", a + b }')")")
        old_ratios+=("$(ratio "$v" "$p")")
    done
    local pair_med verdict
    pair_med=$(median "${pair_ratios[@]}")
    if awk -v r="$pair_med" -v t="$target_verify" 'BEGIN { exit !(r <= t) }'; then
        verdict="meets target <= $target_verify"
    else
        verdict="MISSES target <= $target_verify"
        missed=1
    fi
    printf '%-12s median plain %s s, --verify %s s, direct read %s s\n' "$name" \
        "$(median "${p_times[@]}")" "$(median "${v_times[@]}")" "$(median "${r_times[@]}")"
    printf '%-12s ratio --verify/(plain + direct read): %s (median of %d rounds: %s)\n' "$name" \
        "$pair_med" "$runs" "${pair_ratios[*]}"
    printf '%-12s ratio --verify/plain: %s (median of %d rounds)\n' "$name" "$(median "${old_ratios[@]}")" "$runs"
    printf '%-12s %s\n' "$name" "$verdict"
    printf '%-12s load average (1/5/15 min) %s at the start, %s at the end\n\n' "$name" \
        "$load_start" "$(load_average)"
    summary+=("$(printf '%-12s %-38s ratio %s  %s  (load %s)' "$name" "1 pass of zeros, read back" \
        "$pair_med" "$verdict" "$(load_average)")")
}

# quorrel-shred --method 0 on $1 (a file, or a folder with --folder), further arguments added.
time_quorrel_on() {
    local input=$1
    shift
    if [[ -d $input ]]; then
        time_command "$quorrel" --yes --method 0 "$@" --folder "$input"
    else
        time_command "$quorrel" --yes --method 0 "$@" -- "$input"
    fi
}

missed=0
summary=()
echo "Making the input (untimed) ..."
make_masters
sync
echo

if [[ $do_large -eq 1 ]]; then
    echo "Case large: one file of $large_mib MiB, method 1 against shred -n 3 -u"
    run_case large "$target_large" "1 file of $large_mib MiB"
fi
if [[ $do_small -eq 1 ]]; then
    echo "Case small: folder of $small_count files of $small_kib KiB"
    run_case small "$target_small" "$small_count files of $small_kib KiB"
fi
if [[ $do_random -eq 1 ]]; then
    echo "Case random: one file of $random_mib MiB, method 3 against shred -n 30 -u"
    run_case random "$target_random" "method 3, 1 file of $random_mib MiB"
fi
if [[ $do_random_dd -eq 1 ]]; then
    echo "Case random-dd: one file of $random_mib MiB, method 3 against 30 dd passes"
    run_case random-dd "$target_random_dd" "method 3, 1 file of $random_mib MiB"
fi
if [[ $do_minimal -eq 1 ]]; then
    echo "Case minimal: one file of $minimal_mib MiB, method 1 against min_writer"
    run_case minimal "$target_minimal" "method 1, 1 file of $minimal_mib MiB"
fi
if [[ $do_list -eq 1 ]]; then
    for n in "${list_count_list[@]}"; do
        echo "Case list$n: $n files of 1 byte, the list run against the folder run"
        run_case "list$n" "$target_list" "list run, $n files of 1 byte"
    done
fi

if [[ $do_verify -eq 1 ]]; then
    echo "Case verify: one pass of zeros over $large_mib MiB, with --verify against without it plus one direct read"
    run_verify_case verify
fi
if [[ $do_verify_small -eq 1 ]]; then
    echo "Case verify-small: one pass of zeros over $small_count files of $small_kib KiB, with --verify against without it plus one direct read"
    run_verify_case verify-small
fi

list_note=
if [[ $do_list -eq 1 && $list_scratch != "$scratch" ]]; then
    list_note="; the list case on $(df -PT "$list_scratch" | awk 'NR == 2 { print $2 }')"
fi
echo "Summary ($fs_type, $runs runs each$list_note)"
printf '%s\n' "${summary[@]}"

if [[ $strict -eq 1 && $missed -eq 1 ]]; then
    exit 3
fi
