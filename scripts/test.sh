#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
for preset in native native-debug native-asan fuzz windows web; do
    cmake --preset "$preset"
    cmake --build --preset "$preset" -j "$jobs"
done

ctest --preset native -j "$jobs"
ctest --preset native-debug -j "$jobs"
ctest --preset native-asan -j "$jobs"
ctest --preset fuzz
ctest --preset windows -j "$jobs"
ctest --preset web -j "$jobs"
