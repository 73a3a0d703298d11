#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorrel on the given paths (relative paths are
# taken from the folder this script is started in).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-deps.sh" build >&2

cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc 2>/dev/null || echo 2)" >&2

if [[ $# -eq 0 ]]; then
    exec "$root/build/cli/quorrel-shred" --help
fi
exec "$root/build/cli/quorrel-shred" "$@"
