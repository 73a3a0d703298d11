#!/usr/bin/env bash
# Builds the window against Qt 5.15, the last Qt that runs on 32-bit Windows, in build-qt5 and
# runs its GUI tests there on the offscreen platform, as the Qt 6 build does. Only the window,
# the libraries it is made of and the GUI test programs are built: the engine, platform and
# terminal tests use no Qt and run in the other builds.
# Needs: scripts/install-deps.sh build test qt5
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build-qt5 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORREL_QT_MAJOR=5 \
      -DQUORREL_SANITIZE=OFF -DQUORREL_ASSURANCE=OFF -DQUORREL_GUI=ON >/dev/null
cmake --build build-qt5 -j "$jobs" --target gui_tests
ctest --test-dir build-qt5 -L gui --output-on-failure
