#!/usr/bin/env bash
# Installs what is missing, builds the web page and serves it on the loopback:
# open the address it prints in a browser. Ctrl+C stops the server.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset web >/dev/null
cmake --build --preset web -j "$(nproc)" --target mandelbrot_web
exec python3 scripts/serve_web.py build/web "${1:-8080}"
