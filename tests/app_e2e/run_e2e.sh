#!/usr/bin/env bash
# Ardentis.exe end to end, under the Wine server and X display that scripts/test-windows
# provides, against the native lobby server on a free loopback port. Mode "session": a headless
# client (the headless driver) in the lobby, and the exe worked by the exe driver. Mode "game": a
# whole game between two copies of the exe with the simulated game as each player's totala.exe;
# the joiner runs under a Wine server, prefix and X display of its own, so that each exe finds
# only its own game's window, as on two machines. Passes when every driver finishes its steps.
# Arguments: session|game, wine-run, Ardentis.exe, the exe driver, ardentis-server, a work
# directory (emptied first), then the headless driver (session), or the simulated game and a
# directory for the joiner's Wine prefix (game; kept, so that later runs reuse it).
set -euo pipefail
mode=$1 wine_run=$2 exe=$3 driver=$4 server=$5 work=$6 last=${7:-} prefix=${8:-}
fail() {
    echo "$mode: $*" >&2
    exit 1
}
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
    if [ "$mode" = game ]; then
        wine_session_end "$prefix"
        stop_display
    fi
}
trap finish EXIT
rm -rf "$work"
mkdir -p "$work"
"$server" --listen 127.0.0.1:0 --auto-register --hash-cost min --db "$work/server.db" \
    >"$work/server.out" 2>"$work/server.log" &
pids+=("$!")
port=
for _ in $(seq 100); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$work/server.out")
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || fail "the server did not start: $(cat "$work/server.log")"

# drive ROLE ACCOUNT PEER SAY HEAR [NAME=VALUE...], run in the background: a copy of the exe
# of its own (so that its traffic log holds this player's records only), worked by the driver.
# Both chat lines carry Chinese, so the code page 936 path is crossed both ways.
drive() {
    local role=$1 account=$2 peer=$3 say=$4 hear=$5
    shift 5
    mkdir -p "$work/$role/client" "$work/$role/ta"
    cp "$exe" "$work/$role/client/Ardentis.exe"
    exec "$wine_run" "$driver" role="$role" exe="$(windows_path "$work/$role/client")\Ardentis.exe" \
        host=127.0.0.1 port="$port" account="$account" password="pw-$account" \
        tadir="$(windows_path "$work/$role/ta")" peer="$peer" say="$say" hear="$peer>>$hear" "$@"
}
alice_line='你好, bob'
bob_line='hello alice, 大家好'
if [ "$mode" = session ]; then
    mkdir -p "$work/headless"
    "$last" port="$port" folder="$work/headless" account=bob password=pw-bob peer=alice \
        say="$bob_line" hear="alice>>$alice_line" &
    pids+=("$!")
    mkdir -p "$work/session/ta"
    : >"$work/session/ta/totala.exe"
    drive session alice bob "$alice_line" "$bob_line" lan=10.140.0.9 &
    pids+=("$!")
else
    # The joiner's own Wine, on its own screen: the session also makes the prefix, or makes
    # it again when an earlier run left it broken.
    start_display || fail "the joiner's virtual X server did not start"
    DISPLAY=$display wine_session_start "$wine_run" "$prefix" || fail "no Wine in $prefix"
    for role in host joiner; do
        mkdir -p "$work/$role/ta"
        cp "$last" "$work/$role/ta/totala.exe"
    done
    # The host's battle lasts longest, so that its game ends last and its room update finds
    # nobody still in battle. Virtual-LAN addresses only ever appear in launch files and records.
    ARDENTIS_SIM_TA_READY_MS=2500 ARDENTIS_SIM_TA_BATTLE_MS=5000 drive host alice bob \
        "$alice_line" "$bob_line" lan=10.140.0.9 hostlan=10.140.0.9 &
    pids+=("$!")
    ARDENTIS_SIM_TA_READY_MS=1000 ARDENTIS_SIM_TA_BATTLE_MS=1500 DISPLAY=$display \
        WINEPREFIX="$prefix" drive joiner bob alice "$bob_line" "$alice_line" lan=10.140.0.23 \
        hostlan=10.140.0.9 &
    pids+=("$!")
fi
# A failed driver ends the run: the other one would only wait out its limits.
status=0
wait "${pids[-1]}" && wait "${pids[-2]}" || status=$?
if [ "$status" -ne 0 ]; then
    cat "$work/server.log" "$work"/*/ta/simgame.log >&2 2>/dev/null || true
    fail "a driver failed (status $status)"
fi
echo "$mode: passed"
