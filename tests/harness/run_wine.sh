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
export WINEPREFIX=$1
shift
export WINEDEBUG=-all
# Wine turns names to and from UTF-16 in the locale's character set: UTF-8, whatever the caller has.
export LC_ALL=C.UTF-8
# Short temporary paths, as the tests' expected lines (cut at 98 characters) assume.
export QUORREL_TEST_TMP='C:\qt'

export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer on first use
mkdir -p "$WINEPREFIX"
exec wine "$@"
