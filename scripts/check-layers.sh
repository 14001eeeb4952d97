#!/usr/bin/env bash
# Fails, naming file and line, where the layers leak: SQLite used above database/, Qt in the plain C++ core
# (database/, text/, spreadsheet/), or a unit below forms/ including a window. Tests, benchmarks and scripts may use SQLite freely.
# Usage: bash scripts/check-layers.sh   (from anywhere; lists every leak, exits 1 when there is any)
set -euo pipefail
cd "$(dirname "$0")/.."

failed=0
report() { # file line what text
    printf '%s:%s: %s: %s\n' "$1" "$2" "$3" "$4"
    failed=1
}

files_in() { # the regular files under the given folders and files, sorted
    find "$@" -type f 2>/dev/null | LC_ALL=C sort
}

# Each #include of a file as "line<TAB>target", the target without its quotes or brackets.
includes_of() {
    grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$1" |
        sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*)[>"].*/\1\t\2/' || true
}

# Where an include lands in the tree, relative to the top folder: beside the including file when there is
# such a file, else from the top folder, as the compiler looks with the top folder on its include path.
resolve() { # including-file target
    local beside
    beside="$(dirname "$1")/$2"
    if [ -f "$beside" ]; then
        realpath -m --relative-to=. "$beside"
    else
        realpath -m --relative-to=. "$2"
    fi
}

# SQLite is reached through database/ only.
while IFS= read -r file; do
    while IFS=: read -r line text; do
        report "$file" "$line" "sqlite3 outside database/" "$text"
    done < <(grep -n 'sqlite3' "$file" || true)
done < <(files_in main.cpp forms controls platform text spreadsheet)

# The core builds without Qt: no Qt header, and none of the Qt layers' headers either.
while IFS= read -r file; do
    while IFS=$'\t' read -r line target; do
        [ -n "$line" ] || continue
        where=$(resolve "$file" "$target")
        case "$where" in
        platform/* | controls/* | forms/*) report "$file" "$line" "Qt layer's header in the core" "$target" ;;
        *)
            # A header of Qt's own: QString, QtCore/QString, qstring.h; never one of the tree's own files.
            if [ ! -f "$where" ] && [[ "$target" =~ ^Q[A-Za-z] || "$target" =~ ^q[a-z0-9_]*\.h$ ]]; then
                report "$file" "$line" "Qt header in the core" "$target"
            fi
            ;;
        esac
    done < <(includes_of "$file")
done < <(files_in database text spreadsheet)

# Windows sit on top: nothing below forms/ includes one of them.
while IFS= read -r file; do
    while IFS=$'\t' read -r line target; do
        [ -n "$line" ] || continue
        case "$(resolve "$file" "$target")" in
        forms/*) report "$file" "$line" "window included below forms/" "$target" ;;
        esac
    done < <(includes_of "$file")
done < <(files_in controls platform database text spreadsheet)

if [ "$failed" -ne 0 ]; then
    echo "check-layers: the layers leak (see above)" >&2
    exit 1
fi
echo "check-layers: the layers hold"
