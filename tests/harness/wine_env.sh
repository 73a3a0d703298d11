# The environment of every Wine run of the build: its own prefix, quiet, no Mono or Gecko
# installer on first use, and names turned to and from UTF-16 as UTF-8 whatever the caller's
# locale. Sourced with the prefix as `$1`.
export WINEPREFIX=$1
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
mkdir -p "$WINEPREFIX"
# Wine links the prefix's Desktop, Documents and the like to folders of $HOME: a home of the
# prefix's own keeps every test away from the real user's. A prefix made before (with links
# into another home) has those links replaced by folders of its own.
export HOME=$WINEPREFIX/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
mkdir -p "$HOME"
if [[ -d $WINEPREFIX/drive_c/users ]]; then
    while IFS= read -r -d '' link; do
        case $(readlink -f "$link" || true) in
            "$WINEPREFIX"/*) ;;
            *) rm -f "$link" && mkdir -p "$link" ;;
        esac
    done < <(find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -type l -print0)
fi
