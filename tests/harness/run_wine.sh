#!/usr/bin/env bash
# Runs one Windows test program under Wine, in the Wine prefix PREFIX that belongs to the build
# (made on first use), never in the user's own ~/.wine.
#
# Usage: run_wine.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail

if [[ $# -lt 2 ]]; then
    echo "usage: $0 PREFIX PROGRAM [ARGS...]" >&2
    exit 2
fi
source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh" "$1"
shift
# Short temporary paths, as the tests' expected lines (cut at 98 characters) assume.
export QUORREL_TEST_TMP='C:\qt'
exec wine "$@"
