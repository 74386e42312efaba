#!/usr/bin/env bash
# Installs the Debian packages a task needs, if any is missing:
#   install-deps.sh viewer    the Linux program: build and run
#   install-deps.sh windows   the Windows program: cross-build and run under Wine
#   install-deps.sh           everything: all programs, packages, tests and benchmarks
set -euo pipefail

viewer=(cmake ninja-build g++ libsdl2-dev libx11-dev libxi-dev)
windows=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64)
everything=(
    "${viewer[@]}" "${windows[@]}" python3
    libgtest-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    xvfb xdotool x11-apps x11-utils python3-xlib openbox wmctrl
    clang-format-14
    dpkg-dev file desktop-file-utils lintian
    qemu-user binutils
)

case "${1:-all}" in
    viewer) packages=("${viewer[@]}") ;;
    windows) packages=("${windows[@]}") ;;
    all) packages=("${everything[@]}") ;;
    *) echo "usage: install-deps.sh [viewer|windows]" >&2; exit 2 ;;
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
