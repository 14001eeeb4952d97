#!/usr/bin/env bash
# Fails when a source file strays from the house formatting (.clang-format), naming file and line.
# Usage: bash scripts/check-format.sh   (from anywhere; `cmake --build build --target format` applies it)
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed" >&2; exit 1; }
mapfile -t sources < <(find main.cpp database text spreadsheet platform controls forms tools tests benchmarks -type f \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \) | LC_ALL=C sort)
if ! clang-format --dry-run --Werror "${sources[@]}"; then
    echo "check-format: run clang-format -i on the files above" >&2
    exit 1
fi
echo "check-format: ${#sources[@]} files formatted"
