#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test. Exits non-zero when anything fails.
# Extra arguments go to CMake, e.g. scripts/test.sh -DBRIVANE_SANITIZE=ON
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/setup.sh"
brivane_install_packages
build="${BRIVANE_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure
