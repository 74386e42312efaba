#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and starts it on the
# current X display (scripts/run-windows.sh starts the Windows one under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); start the viewer from a desktop session" >&2
    exit 1
fi

scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target mandelbrot
exec build/native/shell_sdl/mandelbrot
