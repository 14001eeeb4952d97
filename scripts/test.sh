#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test. Exits non-zero when anything fails.
# Extra arguments go to CMake, e.g. scripts/test.sh -DBRIVANE_SANITIZE=ON, or -DBRIVANE_PACKAGE_TEST=ON to build
# and check the Debian package as well.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/setup.sh"
brivane_install_packages
build="${BRIVANE_BUILD_DIR:-$root/build}"
# Warnings are errors here (and in CI), never in a plain build.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DBRIVANE_WERROR=ON "$@"
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --no-tests=error
