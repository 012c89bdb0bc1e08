# Shared by the end-to-end scripts: sourced, not run. The caller names itself in $e2e_name.

fail() {
    echo "$e2e_name: $*" >&2
    exit 1
}

# Wine's drive Z: is the Unix root.
windows_path() { echo "Z:${1//\//\\}"; }

# Ends a background process, if there is one.
stop() {
    if [ -n "$1" ]; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
}

# Starts the lobby server on a loopback port the kernel picks, with its database and output
# in the work directory; sets server_pid and port.
start_server() {
    local server=$1 work=$2
    "$server" --listen 127.0.0.1:0 --auto-register --hash-cost min --db "$work/server.db" \
        >"$work/server.out" 2>"$work/server.log" &
    server_pid=$!
    port=
    for _ in $(seq 100); do
        port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$work/server.out")
        [ -n "$port" ] && break
        kill -0 "$server_pid" 2>/dev/null ||
            fail "the server did not start: $(cat "$work/server.log")"
        sleep 0.1
    done
    [ -n "$port" ] || fail "the server never said where it listens"
    echo "$e2e_name: lobby server on 127.0.0.1:$port"
}
