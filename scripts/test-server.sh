#!/usr/bin/env bash
# A throw-away PostgreSQL 15 server for the tests: its own cluster in a temporary folder, reached only through
# a unix socket in that folder, never synced to disk.
#   test-server.sh start STATE   starts one and writes its connection keywords to STATE (no dbname)
#   test-server.sh stop STATE    stops the server STATE names and removes its folder
# When no server can be started it says so in one line on standard error and exits 1. A server already named by
# BRIVANE_TEST_SERVER is used as it is, and BRIVANE_TEST_POSTGRESQL=OFF starts none.
set -uo pipefail
bin=/usr/lib/postgresql/15/bin
action=${1:-}
state=${2:-}
[ -n "$state" ] || {
    echo "usage: test-server.sh start|stop STATE" >&2
    exit 2
}

# Runs a server program as the owner of the cluster: the postgres user when run as root.
as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

stop() {
    [ -f "$state" ] || return 0
    local folder
    folder=$(sed -n 's/^# folder //p' "$state")
    if [ -n "$folder" ] && [ -d "$folder/data" ]; then
        as_owner "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
        rm -rf -- "$folder"
    fi
    rm -f -- "$state"
}

start() {
    local why
    stop
    if [ "${BRIVANE_TEST_POSTGRESQL:-}" = OFF ]; then
        echo "BRIVANE_TEST_POSTGRESQL=OFF: no PostgreSQL test server"
        return 0
    fi
    if [ -n "${BRIVANE_TEST_SERVER:-}" ]; then
        printf '%s\n' "$BRIVANE_TEST_SERVER" >"$state"
        return 0
    fi
    [ -x "$bin/initdb" ] || {
        echo "no PostgreSQL test server: $bin/initdb is missing (install postgresql-15)" >&2
        exit 1
    }
    if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
        echo "no PostgreSQL test server: there is no postgres user to run it as" >&2
        exit 1
    fi
    local folder
    folder=$(mktemp -d "${TMPDIR:-/tmp}/brivane-postgresql-XXXXXX") || {
        echo "no PostgreSQL test server: cannot create a temporary folder" >&2
        exit 1
    }
    chmod 755 "$folder"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$folder"
    local user
    user=$(if [ "$(id -u)" -eq 0 ]; then echo postgres; else id -un; fi)
    if ! why=$(as_owner "$bin/initdb" -D "$folder/data" -U "$user" -A trust -E UTF8 --locale=C --no-sync 2>&1); then
        rm -rf -- "$folder"
        echo "no PostgreSQL test server: initdb failed: $(tail -n 1 <<<"$why")" >&2
        exit 1
    fi
    # No TCP at all: the socket's port number only names the socket file in our own folder, so any number is
    # free; a few are tried in case a server of the same folder is somehow still about.
    local port
    for _ in 1 2 3; do
        port=$((20000 + RANDOM % 20000))
        if why=$(as_owner "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 30 \
            -o "-c listen_addresses='' -c unix_socket_directories='$folder' -p $port -c fsync=off \
                -c synchronous_commit=off -c full_page_writes=off -c max_connections=100" start 2>&1); then
            printf '# folder %s\nhost=%s port=%s user=%s\n' "$folder" "$folder" "$port" "$user" >"$state"
            return 0
        fi
    done
    echo "no PostgreSQL test server: it did not start: $(tail -n 1 "$folder/server.log" 2>/dev/null || echo "$why")" >&2
    rm -rf -- "$folder"
    exit 1
}

case "$action" in
start) start ;;
stop) stop ;;
*)
    echo "usage: test-server.sh start|stop STATE" >&2
    exit 2
    ;;
esac
