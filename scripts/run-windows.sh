#!/usr/bin/env bash
# Installs what the Windows program needs, cross-builds it alone (no tests) in
# build/windows-viewer and starts it under Wine on the current X display.
set -euo pipefail
cd "$(dirname "$0")/.."

# Whether the X server of DISPLAY takes connections: its local socket, or its
# TCP port for a display on another host.
display_reachable() {
    local host=${DISPLAY%:*}
    local number=${DISPLAY##*:}
    number=${number%%.*}
    [[ "$number" =~ ^[0-9]+$ ]] || return 1
    if [ -z "$host" ] || [ "$host" = unix ]; then
        [ -S "/tmp/.X11-unix/X$number" ]
    else
        (exec 3<>"/dev/tcp/$host/$((6000 + number))") 2>/dev/null
    fi
}

if [ -z "${DISPLAY:-}" ]; then
    echo "run-windows: no X display (DISPLAY is not set); start the viewer from a desktop session" >&2
    exit 1
fi
if ! display_reachable; then
    echo "run-windows: cannot open the X display '$DISPLAY'" >&2
    exit 1
fi

scripts/install-deps.sh windows
cmake --preset windows-viewer >/dev/null
cmake --build --preset windows-viewer -j "$(nproc)"
prefix=${WINEPREFIX:-${MANDELBROT_WINE_ROOT:-$PWD/build}/wineprefix}
if [ ! -f "$prefix/system.reg" ]; then
    echo "run-windows: preparing Wine in $prefix for the first time; this takes about 10 seconds"
fi
exec scripts/wine-run.sh build/windows-viewer/shell/mandelbrot.exe
