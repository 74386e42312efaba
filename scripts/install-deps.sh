#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if any is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ python3
    libgtest-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix
    wine wine64
    libsdl2-dev libx11-dev
    xvfb xdotool x11-apps python3-xlib
    clang-format-14
    dpkg-dev file desktop-file-utils
    emscripten chromium
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
# The browser tests run on Node.js with npm. A Node.js from elsewhere (such as
# NodeSource's, which brings its own npm) is kept; only what is missing is added.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
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
