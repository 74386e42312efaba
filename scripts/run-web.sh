#!/usr/bin/env bash
# Installs what is missing, builds the web page and serves it on the loopback:
# open the address it prints in a browser. Ctrl+C stops the server.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh web
cmake --preset web-viewer >/dev/null
cmake --build --preset web-viewer -j "$(nproc)"
exec python3 scripts/serve_web.py build/web-viewer "${1:-8080}"
