#!/usr/bin/env bash
# Installs what is missing, builds, and opens Quorrel's window with PATH... in its list
# (relative paths are taken from the folder this script is started in). Without a display it
# runs the terminal shredder, quorrel-shred, on PATH... instead.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-deps.sh" build >&2

cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORREL_GUI=ON >/dev/null
cmake --build "$root/build" -j "$(nproc 2>/dev/null || echo 2)" >&2

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$root/build/app/quorrel" "$@"
fi

echo "run.sh: no display (DISPLAY and WAYLAND_DISPLAY are empty); running quorrel-shred instead" >&2
if [[ $# -eq 0 ]]; then
    exec "$root/build/cli/quorrel-shred" --help
fi
exec "$root/build/cli/quorrel-shred" "$@"
