#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorrel on the given paths.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh build >&2

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" >&2

if [[ $# -eq 0 ]]; then
    exec build/cli/quorrel-shred --help
fi
exec build/cli/quorrel-shred "$@"
