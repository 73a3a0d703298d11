#!/usr/bin/env bash
# Links that Wine shows as plain files: quorrel-shred.exe under Wine, on a folder of this
# machine given to Wine as a drive, with real POSIX links in it. Wine opens such a link as its
# target (attributes 0x20, no reparse point) and renames or deletes the target through that
# handle; the program must see where the handle leads and leave the link, and what it points
# at, alone. Each case: a link named on the command line, matched by a pattern, met inside a
# folder walk (pointing out of the tree), a link to a folder named as a path, and a link inside
# the recycle bin. Every target keeps its contents; the plain files beside the links go.
#
# Usage: run_links_test.sh PATH-OF-quorrel-shred.exe WINE-PREFIX
set -euo pipefail

shred=${1:?usage: $0 PATH-OF-quorrel-shred.exe WINE-PREFIX}
source "$(dirname "${BASH_SOURCE[0]}")/../harness/wine_env.sh" "${2:?usage: $0 EXE WINE-PREFIX}"

fail() { echo "links test: $*" >&2; exit 1; }
[[ -f $shred ]] || fail "no program at $shred"

work=$(mktemp -d "$WINEPREFIX/../links-test.XXXXXX")
drive=$WINEPREFIX/dosdevices/l:
bin_top=$WINEPREFIX/drive_c/\$Recycle.Bin
cleanup() { rm -f "$drive"; rm -rf "$work" "$bin_top"; }
trap cleanup EXIT
mkdir -p "$work/d/s/docs" "$work/d/s/tree" "$work/outside/dir"
ln -sfn "$work/d" "$drive"

# Every target holds a text of its own; a target that lost it is a failure.
echo "b: kept" >"$work/d/s/docs/b.txt"
echo "c: kept" >"$work/d/s/docs/c.txt"
echo "o: kept" >"$work/outside/o.txt"
echo "d: kept" >"$work/outside/dir/d.txt"
echo "bin: kept" >"$work/outside/bin.txt"
echo "plain" >"$work/d/s/tree/own.txt"
ln -s docs/b.txt "$work/d/s/link-b.txt"
ln -s docs/c.txt "$work/d/s/pat-c.lnk"
ln -s "$work/outside/o.txt" "$work/d/s/tree/link-o.txt"
ln -s "$work/outside/dir" "$work/d/s/dirlink"

log=$work/run.log
run() {  # EXPECTED-STATUS ARGS...
    local expected=$1 status=0
    shift
    timeout 120 wine "$shred" --yes --method 0 "$@" </dev/null >"$log" 2>&1 || status=$?
    tr -d '\r' <"$log" >"$log.txt"
    cat "$log.txt"
    [[ $status -eq $expected ]] || fail "exit $status (not $expected) for $*"
}
said() { grep -qF -- "$1" "$log.txt" || fail "no line: $1"; }
link_line() { said "* $1 is a link, and this system would act on what it leads to; links are never followed, so it was left alone"; }
kept() {  # FILE TEXT
    [[ -f $1 && "$(cat "$1")" == "$2" ]] || fail "$1 lost its contents: $(ls -l "$1" 2>&1)"
}

run 1 'L:\s\link-b.txt'
link_line 'L:\s\link-b.txt'
kept "$work/d/s/docs/b.txt" "b: kept"

run 1 'L:\s\pat-*.lnk'
link_line 'L:\s\pat-c.lnk'
kept "$work/d/s/docs/c.txt" "c: kept"

run 1 --folder 'L:\s\tree'
link_line 'L:\s\tree\link-o.txt'
said 'File L:\s\tree\own.txt successfuly deleted'
kept "$work/outside/o.txt" "o: kept"
[[ $(ls -A "$work/outside") == "$(printf 'bin.txt\ndir\no.txt')" ]] || fail "outside: $(ls -A "$work/outside")"

run 1 'L:\s\dirlink'
link_line 'L:\s\dirlink'
kept "$work/outside/dir/d.txt" "d: kept"
[[ -L $work/d/s/dirlink && $(ls -A "$work/d/s") == "$(printf 'dirlink\ndocs\nlink-b.txt\npat-c.lnk\ntree')" ]] ||
    fail "the folder holding the links changed: $(ls -A "$work/d/s")"

# The bin of drive C: (a drive Wine has known from the start), the user's own folder of it.
rm -rf "$bin_top"
run 0 --recycle-bin
sid=$(sed -n 's/^\* Error: Could not access C:\\\$Recycle\.Bin\\\(S-[0-9-]*\)\\$/\1/p' "$log.txt")
[[ -n $sid ]] || fail "no bin folder named for drive C:"
mkdir -p "$bin_top/$sid"
ln -s "$work/outside/bin.txt" "$bin_top/$sid/\$RLINK.txt"
run 1 --recycle-bin
said "C:\\\$Recycle.Bin\\$sid\\\$RLINK.txt is a link or special file with no data of its own"
kept "$work/outside/bin.txt" "bin: kept"
echo "links test: every link and what it leads to was left alone"
