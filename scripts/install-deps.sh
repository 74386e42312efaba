#!/usr/bin/env bash
# Installs the Debian packages a task needs, if any is missing:
#   install-deps.sh viewer    the Linux program: build and run
#   install-deps.sh windows   the Windows program: cross-build and run under Wine
#   install-deps.sh web       the web page: build and serve
#   install-deps.sh           everything: all programs, packages, tests and benchmarks
set -euo pipefail

viewer=(cmake ninja-build g++ libsdl2-dev libx11-dev libxi-dev)
windows=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64)
web=(cmake ninja-build python3 emscripten)
everything=(
    "${viewer[@]}" "${windows[@]}" "${web[@]}"
    libgtest-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    xvfb xdotool x11-apps x11-utils python3-xlib openbox wmctrl
    clang-format-14
    dpkg-dev file desktop-file-utils lintian
    qemu-user binutils
    chromium
)

case "${1:-all}" in
    viewer) packages=("${viewer[@]}") ;;
    windows) packages=("${windows[@]}") ;;
    web) packages=("${web[@]}") ;;
    all) packages=("${everything[@]}") ;;
    *) echo "usage: install-deps.sh [viewer|windows|web]" >&2; exit 2 ;;
esac

declare -A seen=()
missing=()
for package in "${packages[@]}"; do
    [ -n "${seen[$package]:-}" ] && continue
    seen[$package]=1
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
# The browser tests run on Node.js with npm. A Node.js from elsewhere (such as
# NodeSource's, which brings its own npm) is kept; only what is missing is added.
if [ "${1:-all}" = all ]; then
    command -v node >/dev/null || missing+=(nodejs)
    command -v npm >/dev/null || missing+=(npm)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
    sudo=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
