#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test. Exits non-zero when anything fails.
# Extra arguments go to CMake, e.g. scripts/test.sh -DBRIVANE_SANITIZE=ON, or -DBRIVANE_PACKAGE_TEST=ON to build
# and check the Debian package as well.
# The programs that work through the database layer run a second time on a throw-away PostgreSQL 15 server,
# started for the run and stopped at its end; BRIVANE_TEST_POSTGRESQL=OFF runs them on files only.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/setup.sh"
brivane_install_packages
build="${BRIVANE_BUILD_DIR:-$root/build}"

if [ "${BRIVANE_TEST_POSTGRESQL:-ON}" != OFF ]; then
    if ! dpkg-query -W -f='${Status}' postgresql-15 2>/dev/null | grep -q "install ok installed"; then
        # Only the server's programs are wanted: no cluster of its own that would start with the machine.
        sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo mkdir -p /etc/postgresql-common/createcluster.d
        echo "create_main_cluster = false" | $sudo tee /etc/postgresql-common/createcluster.d/brivane-tests.conf >/dev/null
        brivane_install_packages postgresql-15
    fi
    server_state=$(mktemp)
    trap 'bash "$root/scripts/test-server.sh" stop "$server_state"' EXIT
    bash "$root/scripts/test-server.sh" start "$server_state" || exit 1
    export BRIVANE_TEST_SERVER
    BRIVANE_TEST_SERVER=$(grep -v '^#' "$server_state")
fi

# Warnings are errors here (and in CI), never in a plain build.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DBRIVANE_WERROR=ON "$@"
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --no-tests=error
