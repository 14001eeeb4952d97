#!/usr/bin/env bash
# Builds the Debian package from a finished build, unpacks it without installing it and checks what the
# desktop and the user see: the files where the desktop expects them, both validators passing, and the
# unpacked launcher making the user's database once, never touching it again, and starting the program.
# Usage: test_package.sh <build folder> [cpack]
set -euo pipefail
build=$(cd "$1" && pwd)
cpack=${2:-cpack}
source_dir=$(cd "$(dirname "$0")/.." && pwd)

work=$(cd "$(mktemp -d)" && pwd -P)
running=""
cleanup() {
    if [ -n "$running" ]; then
        kill -KILL "$running" 2>/dev/null || true
        wait "$running" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The package, made into a folder of its own so the build folder keeps no trace of it.
(cd "$build" && "$cpack" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    fail "cpack -G DEB failed"
}
debs=("$work"/out/brivane_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "expected one brivane_*.deb, found: ${debs[*]}"
fi
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
echo "package: $(basename "$deb"), Depends: $depends"
for dep in libqt6widgets6 libsqlite3-0 libpq5 sqlite3 libqt6svg6; do
    [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep"
done
# ICU's library carries its version in its name (libicu72 on Debian 12).
[[ ", $depends," =~ ,\ libicu[0-9]+[\ ,] ]] || fail "Depends lacks the ICU library"
# So does the spreadsheet writer's (libxlsxwriter4).
[[ ", $depends," =~ ,\ libxlsxwriter[0-9]+[\ ,] ]] || fail "Depends lacks the spreadsheet library"

root="$work/root"
dpkg-deb -x "$deb" "$root"
expected=(
    usr/bin/brivane
    usr/bin/brivane-copy-to-server
    usr/bin/brivane-launch
    usr/share/applications/org.example.Brivane.desktop
    usr/share/brivane/sample_data.sql
    usr/share/brivane/schema-postgresql.sql
    usr/share/brivane/schema.sql
    usr/share/doc/brivane/changelog.gz
    usr/share/doc/brivane/copyright
    usr/share/icons/hicolor/scalable/apps/org.example.Brivane.svg
    usr/share/man/man1/brivane-copy-to-server.1.gz
    usr/share/man/man1/brivane-launch.1.gz
    usr/share/man/man1/brivane.1.gz
    usr/share/metainfo/org.example.Brivane.metainfo.xml
)
expected+=(usr/share/brivane/BRIVANE.HLP)
diff -u <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort) \
    <(cd "$root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) || fail "the package's file list differs"
for f in usr/bin/brivane usr/bin/brivane-launch usr/bin/brivane-copy-to-server; do
    [ -x "$root/$f" ] || fail "$f is not executable"
done
cmp "$source_dir/database/schema.sql" "$root/usr/share/brivane/schema.sql" || fail "the installed schema differs"
cmp "$source_dir/database/schema-postgresql.sql" "$root/usr/share/brivane/schema-postgresql.sql" ||
    fail "the installed server schema differs"
# The copy command runs from the package and says how it is used.
status=0
"$root/usr/bin/brivane-copy-to-server" >/dev/null 2>&1 || status=$?
[ "$status" = 2 ] || fail "brivane-copy-to-server without arguments exits with $status, not 2"

desktop="$root/usr/share/applications/org.example.Brivane.desktop"
metainfo="$root/usr/share/metainfo/org.example.Brivane.metainfo.xml"
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
! grep -Eq '(error|warning):' <<<"$out" || fail "desktop-file-validate: $out"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
[ "$(gzip -dc "$root/usr/share/doc/brivane/changelog.gz" | head -n 1)" = "brivane ($version) unstable; urgency=medium" ] ||
    fail "the changelog does not begin with release $version"
# What the menu starts and shows must be in the package.
[ "$(sed -n 's/^Exec=//p' "$desktop")" = brivane-launch ] || fail "the desktop entry does not start the launcher"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the desktop entry's icon $icon is missing"

# The launcher, started from another folder as a menu would start it, with a data folder not yet there.
export QT_QPA_PLATFORM=offscreen
export XDG_DATA_HOME="$work/xdg/data"
export HOME="$work/home"
mkdir -p "$HOME"
data="$XDG_DATA_HOME/brivane"
db="$data/Products.db3"

# Starts the launcher in the background and waits until the program it started has been running in the
# data folder for two seconds, then ends it.
start_program() {
    (cd "$HOME" && exec "$root/usr/bin/brivane-launch") >"$work/launch.log" 2>&1 &
    running=$!
    for _ in $(seq 100); do
        [ "$(readlink "/proc/$running/exe" 2>/dev/null)" = "$root/usr/bin/brivane" ] && break
        kill -0 "$running" 2>/dev/null || break
        sleep 0.1
    done
    sleep 2
    if ! kill -0 "$running" 2>/dev/null; then
        cat "$work/launch.log"
        fail "the program did not keep running"
    fi
    [ "$(readlink "/proc/$running/exe")" = "$root/usr/bin/brivane" ] || fail "the launcher did not start the program"
    [ "$(readlink "/proc/$running/cwd")" = "$data" ] || fail "the program does not run in $data"
    kill -TERM "$running"
    wait "$running" || true
    running=""
}

# A failed first start (here the sqlite3 shell dies half-way) leaves no database and no temporary file.
mkdir -p "$work/broken"
cat >"$work/broken/sqlite3" <<'EOF'
#!/bin/sh
for f; do :; done
echo half-made >"$f"
exit 1
EOF
chmod +x "$work/broken/sqlite3"
if PATH="$work/broken:$PATH" "$root/usr/bin/brivane-launch" >/dev/null 2>&1; then
    fail "the launcher went on after the database could not be made"
fi
[ -d "$data" ] || fail "the launcher did not create $data"
[ -z "$(ls -A "$data")" ] || fail "a failed first start left files: $(ls -A "$data")"

# A database named in the user's settings is the program's to open: the launcher makes none.
mkdir -p "$HOME/.config/Brivane"
sqlite3 "$work/team.db3" <"$source_dir/database/schema.sql"
printf '[General]\nDatabase=%s\n' "$work/team.db3" >"$HOME/.config/Brivane/Brivane.conf"
start_program
[ -z "$(ls -A "$data")" ] || fail "the launcher made a database although another was named: $(ls -A "$data")"
rm "$HOME/.config/Brivane/Brivane.conf"

start_program
[ "$(ls -A "$data")" = "Products.db3" ] || fail "the data folder holds: $(ls -A "$data")"
[ ! -e "$HOME/Products.db3" ] || fail "a stray Products.db3 appeared in the folder the launcher was started from"
sqlite3 "$work/reference.db3" <"$source_dir/database/schema.sql"
schema_of() { sqlite3 "$1" "SELECT type, name, sql FROM sqlite_master ORDER BY type, name"; }
diff <(schema_of "$work/reference.db3") <(schema_of "$db") || fail "the new database does not hold the schema"
[ "$(sqlite3 "$db" "SELECT (SELECT COUNT(*) FROM Materials) + (SELECT COUNT(*) FROM Products)")" = 0 ] ||
    fail "the new database is not empty"

# A second start uses the database as it is.
sqlite3 "$db" "INSERT INTO Materials (Component, Price) VALUES ('WATER', 0.5)"
cp -p "$db" "$work/before.db3"
inode=$(stat -c %i "$db")
start_program
cmp "$work/before.db3" "$db" || fail "the second start changed the database"
[ "$(stat -c %i "$db")" = "$inode" ] || fail "the second start replaced the database"
echo "package checks passed"
