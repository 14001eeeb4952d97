#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the sample database in data/.
# A Products.db3 already in data/ is used as it is and never overwritten.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/setup.sh"
brivane_install_packages
build="${BRIVANE_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target brivane
data="${BRIVANE_DATA_DIR:-$root/data}"
mkdir -p "$data"
if [ ! -e "$data/Products.db3" ]; then
    tmp="$data/.Products.db3.new"
    rm -f "$tmp"
    sqlite3 "$tmp" < "$root/database/schema.sql"
    sqlite3 "$tmp" < "$root/database/sample_data.sql"
    mv -n "$tmp" "$data/Products.db3"
    rm -f "$tmp"
    echo "Created the sample database $data/Products.db3"
fi
cd "$data"
exec "$build/brivane"
