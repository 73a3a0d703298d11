#!/usr/bin/env bash
# Runs one fuzz target: scripts/fuzz.sh TARGET SECONDS [RUNS]
#   TARGET   a reader's target, with or without its fuzz_ prefix (ls tests/fuzz/fuzz_*.cpp),
#            or "all" for every target in turn, SECONDS each
#   SECONDS  how long to fuzz; RUNS, when given, stops it sooner after that many inputs
# Builds build-fuzz with clang first (QUORREL_FUZZ=ON). Starts from the seed corpus
# tests/fuzz/corpus/TARGET and keeps what it finds new in build-fuzz/corpus/TARGET; a crash,
# a hang (one input over 1 s) or a memory blow-up (over 256 MB) stops the run with exit
# status 1 and leaves the input in build-fuzz/artifacts/TARGET/.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ $# -lt 2 || $# -gt 3 ]]; then
    echo "usage: scripts/fuzz.sh TARGET|all SECONDS [RUNS]" >&2
    exit 2
fi
build=build-fuzz
seconds=$2
runs=${3:--1}

if [[ ! -f $build/build.ninja ]]; then
    CC=clang CXX=clang++ cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUORREL_FUZZ=ON -DQUORREL_TESTS=OFF -DQUORREL_ASSURANCE=OFF >/dev/null
fi

targets=()
if [[ $1 == all ]]; then
    for source in tests/fuzz/fuzz_*.cpp; do
        name=$(basename "$source" .cpp)
        targets+=("${name#fuzz_}")
    done
else
    targets+=("${1#fuzz_}")
fi

dictionary_of() {
    case "$1" in
        dock_state|app_settings|settings_ini) echo ini ;;
        mountinfo) echo mount_table ;;
        *) echo "$1" ;;
    esac
}

status=0
for target in "${targets[@]}"; do
    [[ -f tests/fuzz/fuzz_$target.cpp ]] || { echo "fuzz: no target fuzz_$target" >&2; exit 2; }
    if ! cmake --build $build --target "fuzz_$target" -j 2 >"$build/build-$target.log" 2>&1; then
        tail -n 40 "$build/build-$target.log" >&2
        echo "fuzz: fuzz_$target does not build" >&2
        exit 1
    fi
    work=$build/corpus/$target
    artifacts=$build/artifacts/$target
    mkdir -p "$work" "$artifacts"
    options=(-max_total_time="$seconds" -runs="$runs" -timeout=1 -rss_limit_mb=256
             -malloc_limit_mb=256 -max_len=8192 -print_final_stats=1
             -artifact_prefix="$artifacts/")
    dictionary=tests/fuzz/dict/$(dictionary_of "$target").dict
    [[ -f $dictionary ]] && options+=(-dict="$dictionary")
    echo "== fuzz_$target: ${seconds}s${3:+ or $runs runs}"
    # The sanitizers' own quarantine is kept small so that the memory limit measures the
    # reader's memory, not the allocator's bookkeeping.
    if ! ASAN_OPTIONS=quarantine_size_mb=16:detect_leaks=1:abort_on_error=1 \
         UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
         "$build/tests/fuzz/fuzz_$target" "${options[@]}" "$work" "tests/fuzz/corpus/$target" \
         2>"$build/fuzz_$target.log"; then
        tail -n 60 "$build/fuzz_$target.log" >&2
        echo "fuzz: fuzz_$target failed; the input is in $artifacts/" >&2
        status=1
        continue
    fi
    grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb)' \
        "$build/fuzz_$target.log" || true
done
exit $status
