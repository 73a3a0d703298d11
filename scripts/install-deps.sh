#!/usr/bin/env bash
# Installs, with apt-get, the packages a task needs that are not installed yet.
# Usage: scripts/install-deps.sh build|test|package|bench|run|screenshot|qt5|win32 ...
set -euo pipefail

packages=()
for need in "$@"; do
    case "$need" in
        build) packages+=(cmake ninja-build g++ make qt6-base-dev qt6-base-dev-tools libgl-dev) ;;
        test)  packages+=(libgtest-dev xvfb e2fsprogs xfsprogs btrfs-progs ntfs-3g fusefat fuse3 dosfstools util-linux
                          man-db groff-base appstream desktop-file-utils clang clang-format libclang-rt-14-dev) ;;
        package) packages+=(dpkg-dev file gzip lintian man-db appstream desktop-file-utils
                            qt6-qpa-plugins) ;;
        # The 32-bit Windows cross build and Wine to run it (Wine's 32-bit half needs the i386
        # architecture); GoogleTest's sources are built for the target; Wine's fonts for the
        # window, NSIS and zip for the installer and the portable folder.
        win32) packages+=(g++-mingw-w64-i686-posix wine wine32:i386 googletest fonts-wine xvfb nsis zip) ;;
        bench) packages+=(coreutils python3 libfuse3-dev pkg-config fuse3 e2fsprogs util-linux) ;;
        run) packages+=(xvfb xauth) ;;
        screenshot) packages+=(xvfb xauth xterm imagemagick) ;;
        # The window built against Qt 5.15 as well (scripts/test-qt5.sh).
        qt5) packages+=(qtbase5-dev qtbase5-dev-tools libqt5test5) ;;
        *) echo "install-deps: unknown need '$need'" >&2; exit 2 ;;
    esac
done

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "install-deps: need root (or sudo) to install ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
if [[ " ${missing[*]}" == *":i386"* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
