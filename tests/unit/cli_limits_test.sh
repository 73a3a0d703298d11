#!/usr/bin/env bash
# quorrel-shred under resource limits: a thread, memory or a descriptor that cannot be had
# makes a run go on with fewer files in flight (down to one at a time), never abort it.
# 20,000 empty files, shredded as a folder under an address-space limit (the default files in
# flight, and 64) and under a descriptor limit of 32 with 64 asked for; 200 files of 4 KiB as
# list rows under that descriptor limit (each stays in flight for its flush). Each run must end
# with exit 0 and leave nothing.
#
# Usage: cli_limits_test.sh QUORREL-SHRED   (inside the sandbox of run_isolated.sh)
set -uo pipefail

shred=$1
work=$(mktemp -d "${QUORREL_TEST_ROOT:-${TMPDIR:-/tmp}}/limits.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

# Makes folder $1 with $2 empty files, or files of $3 bytes.
make_files() {
    rm -rf "$1" && mkdir "$1" && (cd "$1" && seq -f 'f%05g' 1 "$2" | xargs touch) || return 1
    [[ ${3:-0} -eq 0 ]] || for file in "$1"/*; do head -c "$3" /dev/zero >"$file"; done
}

# Runs quorrel-shred on $3... in a subshell with the limit `ulimit $1 $2`; the run must exit 0
# and every named entry must be gone.
limited_run() {
    local option=$1 value=$2
    shift 2
    local status=0
    (ulimit "$option" "$value" && exec "$shred" --yes --method 0 "$@") >"$work/out" 2>&1 ||
        status=$?
    local left=0
    for path in "$@"; do
        [[ $path == --* || $path == [0-9]* ]] && continue
        [[ -e $path ]] && left=$((left + 1))
    done
    if [[ $status -ne 0 || $left -ne 0 ]]; then
        echo "FAIL: ulimit $option $value, ${*:1:3}: exit $status, $left entries left" >&2
        grep -v '^Wipeing\|^File ' "$work/out" | tail -5 >&2
        failures=$((failures + 1))
    else
        echo "ok: ulimit $option $value, ${*:1:3}: exit 0, nothing left"
    fi
}

cd "$work" || exit 1
make_files d 20000 && limited_run -v 42000 d
make_files d 20000 && limited_run -v 42000 --jobs 64 d
make_files d 20000 && limited_run -n 32 --jobs 64 d
make_files rows 200 4096 && limited_run -n 32 --jobs 64 rows/f*
exit $((failures > 0))
