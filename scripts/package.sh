#!/usr/bin/env bash
# Builds the Debian package from a clean tree: the committed sources (git archive of HEAD, or
# the working folder when it is not a git checkout) are built from scratch in build-package/
# with Debian's hardening flags, and CPack writes dist/quorrel_<version>_<arch>.deb.
# Usage: scripts/package.sh [--from-worktree]   (--from-worktree: take uncommitted changes too)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" build package >&2

work="$root/build-package"
rm -rf "$work"
mkdir -p "$work/src" "$root/dist"
if [[ "${1:-}" != "--from-worktree" ]] && git -C "$root" rev-parse --verify -q HEAD >/dev/null; then
    git -C "$root" archive --format=tar HEAD | tar -x -C "$work/src"
else
    tar -C "$root" --exclude='./build*' --exclude=./dist --exclude=./.git -c . | tar -x -C "$work/src"
fi

# The flags Debian builds its own packages with, all hardening on: fortified, read-only
# relocations, bind now.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQUORREL_GUI=ON -DQUORREL_TESTS=OFF -DQUORREL_ASSURANCE=OFF -DQUORREL_SANITIZE=OFF >/dev/null
cmake --build "$work/build" -j "$(nproc 2>/dev/null || echo 2)"
cpack -G DEB --config "$work/build/CPackConfig.cmake" -B "$work/cpack" >/dev/null
rm -rf "$work/cpack/_CPack_Packages"
mv "$work/cpack"/quorrel_*.deb "$root/dist/"
ls "$root"/dist/quorrel_*.deb
