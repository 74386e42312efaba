#!/usr/bin/env bash
# Runs a Windows executable under Wine in the build tree's own throwaway
# prefix, creating the prefix once (parallel first use of a prefix races, so
# creation is serialised with a lock).
set -euo pipefail

prefix_root=${MANDELBROT_WINE_ROOT:-$(cd "$(dirname "$0")/.." && pwd)/build}
export WINEPREFIX=${WINEPREFIX:-$prefix_root/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
) 9>"$WINEPREFIX.lock"

exec wine "$@"
