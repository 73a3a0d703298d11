# The environment of every Wine run of the build: its own prefix, quiet, no Mono or Gecko
# installer on first use, and names turned to and from UTF-16 as UTF-8 whatever the caller's
# locale. Sourced with the prefix as `$1`.
export WINEPREFIX=$1
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
mkdir -p "$WINEPREFIX"
