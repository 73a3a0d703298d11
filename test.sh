#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer (engine, platform and terminal: the window's
# toolkit is not built with them), then the same under ThreadSanitizer, then the whole suite,
# window and assurance tests included, then the Debian package made from that build: linted,
# installed, tried and removed, then the window against Qt 5.15 and the 32-bit Windows build
# under Wine, and last every reader of outside input under libFuzzer for a short while
# (scripts/fuzz.sh runs one for longer).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh build test package qt5 win32

jobs=$(nproc 2>/dev/null || echo 2)

# Every source file as the checked-in .clang-format lays it out.
git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run --Werror

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DQUORREL_SANITIZE=ON -DQUORREL_ASSURANCE=OFF -DQUORREL_GUI=OFF >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

# The same tests under ThreadSanitizer: files in flight hand jobs, lines and open folders
# between threads.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DQUORREL_TSAN=ON -DQUORREL_ASSURANCE=OFF -DQUORREL_GUI=OFF >/dev/null
cmake --build build-tsan -j "$jobs"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir build-tsan --output-on-failure -j "$jobs"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQUORREL_SANITIZE=OFF -DQUORREL_ASSURANCE=ON -DQUORREL_GUI=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure

# The package from the build above, not from a second one (scripts/package.sh builds one from a
# clean tree); as root it is installed on this machine, tried from /usr/bin and removed.
rm -rf build/package
cpack -G DEB --config build/CPackConfig.cmake -B build/package >/dev/null
scripts/check-package.sh build/package/quorrel_*.deb

# The window and its GUI tests against Qt 5.15, the last Qt that runs on 32-bit Windows; then
# quorrel-shred.exe and the engine, platform and terminal tests for 32-bit Windows, under Wine.
scripts/test-qt5.sh
scripts/test-win32.sh

# 15 seconds or 50,000 inputs per fuzz target, whichever comes first; built with clang.
scripts/fuzz.sh all 15 50000
