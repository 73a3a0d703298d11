#!/usr/bin/env bash
# Provides Qt 5.15.8 for 32-bit Windows (mingw-w64, i686) in a cache folder and prints that
# folder (the CMAKE_PREFIX_PATH of the window's Windows build). The prebuilt copy beside the
# checkout (../shared/qt5-mingw32) is unpacked when its sha256 matches the one it ships with;
# otherwise Qt is built from Debian's own source package with scripts/build-qt5-mingw32.sh
# (root, Debian 12, about 40 minutes on two cores). Nothing else is ever downloaded. A cache
# already provided is used as it is.
# Usage: scripts/provide-qt5-mingw32.sh [CACHE-FOLDER]   (default: .cache/qt5-mingw32)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=$(realpath -m "${1:-$repo/.cache/qt5-mingw32}")
prebuilt=${QUORREL_QT5_PREBUILT:-$repo/../shared/qt5-mingw32}
tarball=qt-5.15.8-mingw-i686.tar.xz
qt=$cache/qt

say() { echo "provide-qt5-mingw32: $*" >&2; }

# The unpacked Qt counts only once its last step (the stamp) was written.
if [[ -f $qt/.provided && -f $qt/lib/cmake/Qt5Widgets/Qt5WidgetsConfig.cmake ]]; then
    echo "$qt"
    exit 0
fi
mkdir -p "$cache"
source_tar=
if [[ -f $prebuilt/$tarball && -f $prebuilt/SHA256SUMS ]]; then
    if (cd "$prebuilt" && grep " $tarball\$" SHA256SUMS | sha256sum -c --status -); then
        source_tar=$prebuilt/$tarball
        say "unpacking the prebuilt $source_tar (sha256 checked)"
    else
        say "$prebuilt/$tarball does not match its SHA256SUMS: building Qt from source instead"
    fi
fi
if [[ -z $source_tar ]]; then
    say "building Qt from Debian's source package in $cache/build (about 40 minutes)"
    "$repo/scripts/build-qt5-mingw32.sh" "$cache/build" >&2
    source_tar=$cache/build/$tarball
fi
rm -rf "$qt.partial" "$qt"
mkdir -p "$qt.partial"
tar -xJf "$source_tar" -C "$qt.partial"
: >"$qt.partial/.provided"
mv "$qt.partial" "$qt"
echo "$qt"
