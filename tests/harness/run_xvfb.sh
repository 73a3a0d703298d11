#!/usr/bin/env bash
# Runs one window test program on an X server of its own (Xvfb) with no window manager, on Qt's
# X11 platform. Qt's offscreen platform activates every window it shows; here nothing but the
# program itself makes a window active, so a test can see whether the program asked for it.
#
# Usage: run_xvfb.sh PROGRAM [ARGS...]
set -euo pipefail

if [[ $# -lt 1 ]]; then
    echo "usage: $0 PROGRAM [ARGS...]" >&2
    exit 2
fi
if ! command -v Xvfb >/dev/null; then
    echo "run_xvfb: Xvfb is missing (scripts/install-deps.sh test installs it)" >&2
    exit 1
fi

# Xvfb picks a free display itself and writes its number once it takes connections.
coproc XVFB { exec Xvfb -displayfd 1 -nolisten tcp -screen 0 1280x1024x24 2>/dev/null; }
xvfb_pid=$XVFB_PID
trap 'kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true' EXIT
if ! read -r display <&"${XVFB[0]}"; then
    echo "run_xvfb: Xvfb did not start" >&2
    exit 1
fi

status=0
DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
