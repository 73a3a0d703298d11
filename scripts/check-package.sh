#!/usr/bin/env bash
# Checks a Debian package of Quorrel: its control fields, lintian (with the project's short list
# of accepted tags, res/debian/lintian-accepted-tags), then, as root, installs it with apt-get,
# runs the installed programs from /usr/bin, validates the installed desktop, AppStream and
# manual page files, and removes it again, leaving nothing behind.
# Usage: scripts/check-package.sh quorrel_<version>_<arch>.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=$(realpath "$1")
app_id=org.example.quorrel.Quorrel

step() { echo "== check-package: $*"; }
die() { echo "check-package: FAIL: $*" >&2; exit 1; }

step "control fields"
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
[[ "$(basename "$deb")" == "quorrel_${version}_${arch}.deb" ]] || die "file name $(basename "$deb")"
[[ "$(dpkg-deb -f "$deb" Section)" == utils ]] || die "section is not utils"
[[ -n "$(dpkg-deb -f "$deb" Maintainer)" ]] || die "no maintainer"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6 qt6-qpa-plugins; do
    grep -q "$library" <<<"$depends" || die "Depends lacks $library (shlibdeps): $depends"
done
dpkg-deb -f "$deb" Package Version Architecture Section Maintainer Depends

step "lintian"
lintian --fail-on error,warning --suppress-tags-from-file "$root/res/debian/lintian-accepted-tags" \
        --display-level '>=warning' "$deb"

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    if sudo -n true 2>/dev/null; then
        sudo=(sudo -n)
    else
        echo "check-package: not root and no sudo: the package is not installed here (CI installs it)"
        exit 0
    fi
fi
if [[ "$(dpkg-query -W -f='${Status}' quorrel 2>/dev/null || true)" == *'install ok installed'* ]]; then
    echo "check-package: quorrel is installed on this machine already; it is left as it is"
    exit 0
fi

installed=0
remove() {
    [[ $installed -eq 1 ]] || return 0
    installed=0
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove --purge -y -qq quorrel </dev/null >/dev/null
}
trap remove EXIT

step "apt-get install $deb"
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$deb" \
    </dev/null >/dev/null
installed=1
mapfile -t files < <(dpkg -L quorrel | while read -r path; do [[ -d "$path" ]] || echo "$path"; done)

step "the installed programs"
[[ "$(command -v quorrel-shred)" == /usr/bin/quorrel-shred ]] || die "quorrel-shred is not /usr/bin's"
[[ "$(/usr/bin/quorrel-shred --version)" == "quorrel-shred (Quorrel) ${version}" ]] ||
    die "/usr/bin/quorrel-shred --version: $(/usr/bin/quorrel-shred --version)"
/usr/bin/quorrel-shred --version
# Whole outputs are taken before they are searched: under pipefail a "grep -q" that stops reading
# early would fail the writer with SIGPIPE, now and then.
help_text=$(/usr/bin/quorrel-shred --help) || die "/usr/bin/quorrel-shred --help exits with $?"
grep -q '^Usage: quorrel-shred' <<<"$help_text" || die "/usr/bin/quorrel-shred --help"
set +e
/usr/bin/quorrel-shred --no-such-option 2>/dev/null
status=$?
set -e
[[ $status -eq 2 ]] || die "a usage error exits with $status, not 2"
scratch=$(mktemp -d)
head -c 100000 /dev/urandom >"$scratch/secret"
/usr/bin/quorrel-shred --yes --method 1 "$scratch/secret" || die "/usr/bin/quorrel-shred failed on a file"
[[ -z "$(ls -A "$scratch")" ]] || die "the shredded file is still there: $(ls -A "$scratch")"
rmdir "$scratch"
if [[ "$(ldd /usr/bin/quorrel /usr/bin/quorrel-shred)" == *'not found'* ]]; then
    die "missing libraries: $(ldd /usr/bin/quorrel | grep 'not found')"
fi

step "the installed desktop files and manual pages"
desktop-file-validate "/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml"
# The pages as packed (an image whose dpkg leaves out /usr/share/man still gets them checked),
# then man finding the installed ones when dpkg put them in place.
unpacked=$(mktemp -d)
dpkg-deb -x "$deb" "$unpacked"
for page in quorrel quorrel-shred; do
    packed="$unpacked/usr/share/man/man1/$page.1.gz"
    [[ -f "$packed" ]] || die "the package has no $page(1)"
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$packed" 2>&1 >/dev/null)
    [[ -z "$warnings" ]] || die "man $page: $warnings"
    lexgrog "$packed"
    if [[ " ${files[*]} " == *" /usr/share/man/man1/$page.1.gz "* ]]; then
        [[ "$(man -w "$page")" == "/usr/share/man/man1/$page.1.gz" ]] || die "man -w $page: $(man -w "$page")"
    fi
done
rm -rf "$unpacked"
for path in /usr/share/bash-completion/completions/quorrel-shred \
            /usr/share/kio/servicemenus/quorrel-add-to-list.desktop \
            /usr/share/icons/hicolor/48x48/apps/quorrel.png /usr/share/quorrel/help/index.html; do
    [[ -f "$path" ]] || die "$path is not installed"
done

step "apt-get remove"
remove
left=()
for path in "${files[@]}"; do
    [[ -e "$path" || -L "$path" ]] && left+=("$path")
done
[[ ${#left[@]} -eq 0 ]] || die "left behind after removal: ${left[*]}"
[[ ! -e /usr/bin/quorrel-shred ]] || die "/usr/bin/quorrel-shred is still there"
echo "check-package: ${#files[@]} files installed and removed again; all checks passed"
