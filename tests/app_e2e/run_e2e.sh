#!/usr/bin/env bash
# Ardentis.exe end to end under scripts/test-windows' Wine and X display, against the native
# server on a free loopback port: "session", the exe with the headless driver; "game", a whole game
# between two exes, the joiner under a Wine server, prefix and X display of its own; "vlan", the exe
# hosting a game for the headless client on adapters of the run's own making, in a network
# namespace of its own (as root; skipped otherwise), under a Wine server, prefix and X display made
# inside it. Arguments: session|game|vlan, wine-run, Ardentis.exe, the exe driver, ardentis-server,
# a work directory (emptied first), then the headless driver, or the simulated game and the
# joiner's (kept) Wine prefix; vlan: the simulated game, its (kept) prefix, the headless driver.
set -euo pipefail
mode=$1 wine_run=$2 exe=$3 driver=$4 server=$5 work=$6 last=${7:-} prefix=${8:-} headless=${9:-}
fail() { echo "$mode: $*" >&2; exit 1; }
if [ "$mode" = vlan ] && [ -z "${ARDENTIS_E2E_NETNS:-}" ]; then
    if ! command -v ip >/dev/null || [ ! -c /dev/net/tun ] || ! unshare -n true 2>/dev/null; then
        echo "vlan: skipped: no network namespace with tap devices can be made here (it needs" \
            "root, iproute2 and /dev/net/tun)"
        exit 77
    fi
    ARDENTIS_E2E_NETNS=1 exec unshare -n "$0" "$@"
fi
if [ "$mode" = vlan ]; then
    # The adapters the programs would make, as tap devices: Wine lists each by its name, up when
    # it is up. Nothing is ever sent to them; everything else speaks over loopback.
    ip link set lo up
    adapter() { # NAME ADDRESS/BITS up|down
        ip tuntap add dev "$1" mode tap
        ip addr add "$2" dev "$1"
        [ "$3" = down ] || ip link set "$1" up
    }
    adapter down0 25.1.1.1/8 down
    adapter ham0 25.9.8.7/8 up
    adapter rad0 26.1.2.3/8 up
    adapter ZeroTier-One 10.147.17.5/24 up
    adapter ts0 100.64.1.2/10 up
fi
windows_path() { echo "Z:${1//\//\\}"; } # Wine's drive Z: is the Unix root
if [ ! -x "$server" ] || { [ "$mode" = session ] && [ ! -x "$last" ]; }; then
    fail "build the native tree first (make linux), or point ARDENTIS_NATIVE_BUILD_DIR at one"
fi
[ -n "${DISPLAY:-}" ] || fail "no X display (run the Windows tests through scripts/test-windows)"
# shellcheck source=scripts/wine-session.sh
source "$(dirname "$0")/../../scripts/wine-session.sh"

pids=()
display_pid=
finish() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ "$mode" != session ]; then
        wine_session_end "$prefix"
        stop_display
    fi
}
trap finish EXIT
rm -rf "$work"
mkdir -p "$work"
# in_background COMMAND...: a process the run waits for, or ends when it ends.
in_background() {
    "$@" &
    pids+=("$!")
}
# Two certificates of the server's own making: the one it starts with, and another one that
# the exe must refuse once it has accepted the first.
fingerprint() { sed -n 's/^SHA256 Fingerprint=//p' "$1"; }
for name in first other; do
    "$server" tls make-cert --name 127.0.0.1 --out "$work/$name" >"$work/$name.out" ||
        fail "tls make-cert failed"
done
# serve ADDRESS TLS-ADDRESS CERTIFICATE: the server, its log appended to the run's.
serve() {
    in_background "$server" --listen "$1" --tls-listen "$2" --tls-cert "$work/$3/cert.pem" \
        --tls-key "$work/$3/key.pem" --auto-register --hash-cost min --db "$work/server.db" \
        >>"$work/server.out" 2>>"$work/server.log"
}
serve 127.0.0.1:0 127.0.0.1:0 first
port= tls_port=
for _ in $(seq 100); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$work/server.out")
    tls_port=$(sed -n 's/^TLS listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$work/server.out")
    [ -n "$port" ] && [ -n "$tls_port" ] && break
    sleep 0.1
done
[ -n "$port" ] && [ -n "$tls_port" ] || fail "the server did not start: $(cat "$work/server.log")"

# drive ROLE ACCOUNT PEER [NAME=VALUE...]: a copy of the exe of its own, worked by the driver,
# with the simulated game as its totala.exe (in a session, a file that is never run).
drive() {
    local role=$1 account=$2 peer=$3
    shift 3
    mkdir -p "$work/$role/client" "$work/$role/ta"
    cp "$exe" "$work/$role/client/Ardentis.exe"
    cp "$last" "$work/$role/ta/totala.exe"
    in_background "$wine_run" "$driver" role="$role" \
        exe="$(windows_path "$work/$role/client")\Ardentis.exe" host=127.0.0.1 port="$port" \
        account="$account" password="pw-$account" tadir="$(windows_path "$work/$role/ta")" \
        peer="$peer" "$@"
}
if [ "$mode" = session ]; then
    mkdir -p "$work/headless"
    in_background "$last" port="$port" folder="$work/headless" account=bob password=pw-bob \
        peer=alice
    # The exe speaks TLS, the headless peer plain.
    drive session alice bob lan=10.140.0.9 restart="$(windows_path "$work/restart")" \
        tlsport="$tls_port" fingerprint="$(fingerprint "$work/first.out")" \
        other="$(fingerprint "$work/other.out")"
    if ! wait "${pids[1]}"; then
        cat "$work/server.log" >&2
        fail "the headless driver failed"
    fi
    # Once the headless side is done and the exe asks, the server restarts under the exe on the
    # same ports: the exe must come back by itself, to the certificate it accepted. At its second
    # asking the server comes back with another certificate: the exe must not log in to it.
    server_pid=${pids[0]}
    for restart in restart restart2; do
        for _ in $(seq 600); do
            [ -e "$work/$restart" ] && break
            sleep 0.1
        done
        [ -e "$work/$restart" ] || break
        kill "$server_pid"
        wait "$server_pid" || true
        [ "$restart" = restart ] && certificate=first || certificate=other
        before=$(wc -l <"$work/server.log")
        serve "127.0.0.1:$port" "127.0.0.1:$tls_port" "$certificate"
        server_pid=${pids[-1]}
    done
    if ! wait "${pids[2]}"; then
        cat "$work/server.log" >&2
        fail "the exe driver failed"
    fi
    # The server with the other certificate heard the exe's handshake and nothing more.
    tail -n +"$((before + 1))" "$work/server.log" | grep -q "TLS: TLS" ||
        fail "the exe never reached the server with the other certificate"
    if tail -n +"$((before + 1))" "$work/server.log" | grep -q "alice.*logged in"; then
        fail "the exe logged in to a server whose certificate it had refused"
    fi
    echo "$mode: passed"
    exit 0
elif [ "$mode" = vlan ]; then
    # Wine's own server and screen, started inside the namespace: the adapters it lists are the
    # namespace's.
    start_display || fail "the virtual X server did not start"
    export DISPLAY=$display
    wine_session_start "$wine_run" "$prefix" || fail "no Wine in $prefix"
    mkdir -p "$work/headless"
    in_background "$headless" role=joiner port="$port" folder="$work/headless" account=bob \
        password=pw-bob peer=alice address=25.9.8.7
    ARDENTIS_SIM_TA_READY_MS=1000 ARDENTIS_SIM_TA_BATTLE_MS=1500 WINEPREFIX="$prefix" \
        drive vlan alice bob vnntype=1 address=25.9.8.7
else
    # The joiner's own Wine, on its own screen: the session also makes the prefix, or makes
    # it again when an earlier run left it broken.
    start_display || fail "the joiner's virtual X server did not start"
    DISPLAY=$display wine_session_start "$wine_run" "$prefix" || fail "no Wine in $prefix"
    # The host's battle lasts longest, so that its game ends last and its room update finds
    # nobody still in battle. Virtual-LAN addresses only ever appear in launch files and records.
    ARDENTIS_SIM_TA_READY_MS=2500 ARDENTIS_SIM_TA_BATTLE_MS=5000 drive host alice bob \
        lan=10.140.0.9 hostlan=10.140.0.9
    ARDENTIS_SIM_TA_READY_MS=1000 ARDENTIS_SIM_TA_BATTLE_MS=1500 DISPLAY=$display \
        WINEPREFIX="$prefix" drive joiner bob alice lan=10.140.0.23 hostlan=10.140.0.9
fi
# A failed driver ends the run: the other one would only wait out its limits.
if ! { wait "${pids[-1]}" && wait "${pids[-2]}"; }; then
    cat "$work/server.log" "$work"/*/ta/simgame.log >&2 2>/dev/null || true
    fail "a driver failed"
fi
echo "$mode: passed"
