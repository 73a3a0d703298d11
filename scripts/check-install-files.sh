#!/usr/bin/env bash
# Checks the files Quorrel installs besides its programs (run by ctest; the tools come from
# scripts/install-deps.sh test).
#   check-install-files.sh man MANDIR QUORREL_SHRED VERSION
#       every page renders without a warning, has a NAME line whatis can read, shows VERSION,
#       and quorrel-shred(1) documents every option --help lists; --version prints VERSION
#   check-install-files.sh completion SCRIPT QUORREL_SHRED
#       the bash completion offers every option --help lists, the method numbers and paths
#   check-install-files.sh desktop DESKTOP_FILE METAINFO_FILE VERSION
#       desktop-file-validate and appstreamcli validate say nothing; the metainfo names the
#       desktop entry and VERSION
set -euo pipefail

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

need() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh test" >&2; exit 1; }
    done
}

# The long options quorrel-shred --help lists: in its usage lines and its rows of options (the
# prose below them names other programs' options too).
help_options() {
    "$1" --help | grep -E -- '^(Usage: |       quorrel-shred |  -)' | grep -oE -- '--[a-z][a-z-]*' |
        sort -u
}

check_man() {
    local mandir=$1 shred=$2 version=$3 page warnings
    need man lexgrog
    for page in "$mandir"/*.1; do
        # The check Debian's lintian makes: groff's warnings at the width of a terminal.
        warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
                   man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) || fail "man failed on $page"
        [[ -z "$warnings" ]] || fail "$page: $warnings"
        lexgrog "$page" >/dev/null || fail "$page: lexgrog finds no NAME line"
        grep -q "Quorrel $version" <(MANWIDTH=80 man -l "$page" 2>/dev/null) || fail "$page does not show $version"
    done
    local text option
    text=$(MANWIDTH=200 man -l "$mandir/quorrel-shred.1" 2>/dev/null)
    for option in $(help_options "$shred"); do
        grep -qe "$option" <<<"$text" || fail "quorrel-shred(1) does not document $option"
    done
    for section in SYNOPSIS OPTIONS METHODS 'EXIT STATUS' FILES 'WHAT SURVIVES SHREDDING' EXAMPLES; do
        grep -q "^$section" <<<"$text" || fail "quorrel-shred(1) has no $section section"
    done
    [[ "$("$shred" --version)" == "quorrel-shred (Quorrel) $version" ]] ||
        fail "quorrel-shred --version prints '$("$shred" --version)', not version $version"
}

# Prints what the completion offers for the words given; the last word is the one completed.
complete_words() {
    local script=$1
    shift
    bash -c 'source "$1"; shift
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
             _quorrel_shred; printf "%s\n" "${COMPREPLY[@]}"' _ "$script" quorrel-shred "$@"
}

check_completion() {
    local script shred=$2 option offered folder
    script=$(realpath "$1")
    offered=$(complete_words "$script" -)
    for option in $(help_options "$shred"); do
        grep -qx -- "$option" <<<"$offered" || fail "completion does not offer $option"
    done
    [[ "$(complete_words "$script" --method '')" == $'0\n1\n2\n3' ]] || fail "methods after --method"
    [[ "$(complete_words "$script" --method = 3)" == 3 ]] || fail "method after --method="
    [[ "$(complete_words "$script" --rec)" == --recycle-bin ]] || fail "--rec does not give --recycle-bin"
    folder=$(mktemp -d)
    trap 'rm -rf "$folder"' RETURN
    mkdir "$folder/sub dir"
    touch "$folder/secret file.txt"
    [[ "$(cd "$folder" && complete_words "$script" --yes '' | sort)" == $'secret file.txt\nsub dir' ]] ||
        fail "paths (spaces kept) after options"
    [[ "$(cd "$folder" && complete_words "$script" --folder '')" == 'sub dir' ]] ||
        fail "only folders after --folder"
    [[ "$(cd "$folder" && complete_words "$script" -- -)" == "" ]] ||
        fail "options offered after --"
}

check_desktop() {
    local desktop=$1 metainfo=$2 version=$3 out id
    need desktop-file-validate appstreamcli
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
    [[ -z "$out" ]] || fail "desktop-file-validate: $out"
    out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
    grep -qE '^(E|W|I):' <<<"$out" && fail "appstreamcli validate: $out"
    id=$(basename "$desktop" .desktop)
    grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "metainfo does not launch $id.desktop"
    grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
    grep -qE '^MimeType=inode/directory;application/octet-stream;' "$desktop" ||
        fail "desktop entry does not take folders and any file"
    grep -qx 'Exec=quorrel %F' "$desktop" || fail "desktop entry does not pass the files"
}

mode=${1:-}
shift || true
case "$mode" in
    man) check_man "$@" ;;
    completion) check_completion "$@" ;;
    desktop) check_desktop "$@" ;;
    *) echo "usage: $0 man|completion|desktop ARG..." >&2; exit 2 ;;
esac
[[ $failures -eq 0 ]] || exit 1
echo "$mode: all checks passed"
