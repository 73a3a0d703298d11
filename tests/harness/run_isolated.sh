#!/usr/bin/env bash
# Runs one test program in a throw-away home of its own, so that nothing it does can reach the
# real user's settings, data or trash. CTest starts every test program through this script.
#
# Usage: run_isolated.sh FOLDER PROGRAM [ARGS...]
#
# A fresh folder is made under FOLDER; HOME, the XDG folders and QUORREL_TEST_MOUNT_PREFIX
# (no real mount point lies under it, so the program sees no volume's trash) point inside it,
# and QUORREL_TEST_ROOT names it. The test programs refuse to start without all of that (see
# IsolationGuard.cpp). The folder is removed when the program ends; its exit status is kept.
set -euo pipefail

if [[ $# -lt 2 ]]; then
    echo "usage: $0 FOLDER PROGRAM [ARGS...]" >&2
    exit 2
fi
base=$1
shift
mkdir -p "$base"
sandbox=$(mktemp -d "$base/$(basename "$1").XXXXXX")
sandbox=$(cd "$sandbox" && pwd -P)
trap 'rm -rf --one-file-system "$sandbox"' EXIT

home="$sandbox/home"
mkdir -p "$home/.config" "$home/.local/share" "$home/.local/state" "$home/.cache" "$sandbox/mounts"
: >"$sandbox/.quorrel-test-root"
export QUORREL_TEST_ROOT="$sandbox"
export HOME="$home"
export XDG_CONFIG_HOME="$home/.config"
export XDG_DATA_HOME="$home/.local/share"
export XDG_STATE_HOME="$home/.local/state"
export XDG_CACHE_HOME="$home/.cache"
export QUORREL_TEST_MOUNT_PREFIX="$sandbox/mounts"
# No device tells anything: a run's flash line would otherwise depend on the disk the tests run
# on. The tests that look at devices give their own sysfs tree, or unset it.
mkdir -p "$sandbox/no-sysfs"
export QUORREL_TEST_SYSFS_ROOT="$sandbox/no-sysfs"

status=0
"$@" || status=$?
exit "$status"
