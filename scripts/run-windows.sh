#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and starts it under Wine
# on the current X display.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
    echo "run-windows: no X display (DISPLAY is not set); start the viewer from a desktop session" >&2
    exit 1
fi

scripts/install-deps.sh
if ! xdotool getdisplaygeometry >/dev/null 2>&1; then
    echo "run-windows: cannot open the X display '$DISPLAY'" >&2
    exit 1
fi
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"
exec scripts/wine-run.sh build/windows/shell/mandelbrot.exe
