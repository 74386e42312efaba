#!/usr/bin/env bash
# Installs what the Linux program needs, builds it alone (no tests) in
# build/viewer and starts it on the current display (scripts/run-windows.sh
# starts the Windows one under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); start the viewer from a desktop session" >&2
    exit 1
fi

scripts/install-deps.sh viewer
cmake --preset viewer >/dev/null
cmake --build --preset viewer -j "$(nproc)"
exec build/viewer/shell_sdl/mandelbrot
