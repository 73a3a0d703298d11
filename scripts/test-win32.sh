#!/usr/bin/env bash
# Builds Quorrel for 32-bit Windows with mingw-w64 (the window against Qt 5.15 for mingw, from
# scripts/provide-qt5-mingw32.sh, and quorrel-shred.exe) with every test, runs the tests under
# Wine in a prefix of the build's own (build-win32/wine-prefix), the assurance test on a
# loop-mounted image included, then lays out the folder a Windows user runs (build-win32/deploy),
# checks that it imports nothing but Windows's own DLLs and its own, makes the installer and the
# portable zip from it (build-win32/dist) and tries the installer under Wine.
# Usage: scripts/test-win32.sh   (scripts/install-deps.sh win32 installs what it needs)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
started=$SECONDS
version=$(sed -n 's/^project(Quorrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

qt=$(scripts/provide-qt5-mingw32.sh)

source tests/harness/wine_env.sh "$PWD/build-win32/wine-prefix"
# One X server for every Wine run of the stage: Wine's desktop belongs to the display its
# server first met, and the window's tests on the windows platform need one.
coproc XVFB { exec Xvfb -displayfd 1 -nolisten tcp -screen 0 1280x1024x24 2>/dev/null; }
xvfb_pid=$XVFB_PID
read -r display <&"${XVFB[0]}" || { echo "test-win32: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$display
# The prefix is made, and Wine's server and services started, once and apart from any build
# step or test: a service started by a test would hold that test's output open, and ctest (or
# the build's test discovery) would wait for it for ever.
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$xvfb_pid" 2>/dev/null || true' EXIT
timeout 300 wine cmd /c exit </dev/null >/dev/null 2>&1
# The prefix's user folders lead nowhere outside it: never into the real user's home.
while IFS= read -r -d '' link; do
    case $(readlink -f "$link" || true) in
        "$WINEPREFIX"/*) ;;
        *) echo "test-win32: $link leads out of the Wine prefix" >&2; exit 1 ;;
    esac
done < <(find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -type l -print0)
# Debian's Wine puts no TrueType font into a new prefix; without them Qt draws with a math font.
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORREL_GUI=ON -DQUORREL_QT_MAJOR=5 \
      -DQUORREL_QT5_MINGW="$qt" -DQUORREL_ASSURANCE=ON >/dev/null
cmake --build build-win32 -j "$jobs"
ctest --test-dir build-win32 --output-on-failure -j "$jobs"

# The folder a Windows user runs, the installer and the zip made of it.
rm -rf build-win32/deploy build-win32/dist
cmake --install build-win32 --prefix build-win32/deploy --strip >/dev/null
scripts/check-win32-imports.sh build-win32/deploy
i686-w64-mingw32-objdump -p build-win32/deploy/quorrel.exe | grep 'DLL Name'
scripts/make-win32-installer.sh build-win32/deploy build-win32/dist "$version"
bash tests/win32/run_installer_test.sh "build-win32/dist/quorrel-$version-win32-setup.exe" \
    "$version" "$WINEPREFIX"
du -sh build-win32/deploy
ls -l build-win32/dist
echo "test-win32: $((SECONDS - started)) seconds"
