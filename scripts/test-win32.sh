#!/usr/bin/env bash
# Builds quorrel-shred.exe and the engine, platform and terminal tests for 32-bit Windows with
# mingw-w64, and runs them under Wine in a prefix of the build's own (build-win32/wine-prefix),
# the assurance test on a loop-mounted image included. No Qt is needed.
# Usage: scripts/test-win32.sh   (scripts/install-deps.sh win32 installs what it needs)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

source tests/harness/wine_env.sh "$PWD/build-win32/wine-prefix"
# The prefix is made, and Wine's server and services started, once and apart from any build
# step or test: a service started by a test would hold that test's output open, and ctest (or
# the build's test discovery) would wait for it for ever.
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1
# The prefix's user folders lead nowhere outside it: never into the real user's home.
while IFS= read -r -d '' link; do
    case $(readlink -f "$link" || true) in
        "$WINEPREFIX"/*) ;;
        *) echo "test-win32: $link leads out of the Wine prefix" >&2; exit 1 ;;
    esac
done < <(find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -type l -print0)

cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORREL_GUI=OFF -DQUORREL_ASSURANCE=ON >/dev/null
cmake --build build-win32 -j "$jobs"
ctest --test-dir build-win32 --output-on-failure -j "$jobs"
file build-win32/cli/quorrel-shred.exe
