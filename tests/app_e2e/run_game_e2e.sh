#!/usr/bin/env bash
# A whole Total Annihilation game between two copies of Ardentis.exe under Wine, against
# the native lobby server on a free loopback port, with the simulated game installed as
# each player's totala.exe. The host runs under the Wine server that scripts/test-windows
# provides; the joiner under a Wine server, prefix and X display of its own, so that each
# exe finds only its own game's window, as on two machines. Passes when both game drivers finish
# all their steps.
# Arguments: wine-run, Ardentis.exe, the game driver, the simulated game, ardentis-server,
# a work directory (emptied first), a directory for the joiner's Wine prefix (kept, so
# that later runs reuse it; made again when it is not complete).
set -euo pipefail
wine_run=$1
exe=$2
driver=$3
game=$4
server=$5
work=$6
joiner_prefix=$7

e2e_name=game_e2e
# shellcheck source=tests/app_e2e/e2e_common.sh
source "$(dirname "$0")/e2e_common.sh"
# shellcheck source=scripts/wine-session.sh
source "$(dirname "$0")/../../scripts/wine-session.sh"
[ -x "$server" ] || fail "missing $server: build the native tree first (make linux), or" \
    "point the cache variable ARDENTIS_NATIVE_BUILD_DIR at one"
[ -n "${DISPLAY:-}" ] || fail "no X display (run the Windows tests through scripts/test-windows)"

rm -rf "$work"
for player in host joiner; do
    mkdir -p "$work/$player/client" "$work/$player/ta"
    # A copy of the exe per player, so that each traffic log holds that player's records.
    cp "$exe" "$work/$player/client/Ardentis.exe"
    cp "$game" "$work/$player/ta/totala.exe"
done

server_pid=
host_pid=
joiner_pid=
display_pid=
cleanup() {
    stop "$host_pid"
    stop "$joiner_pid"
    stop "$server_pid"
    wine_session_end "$joiner_prefix"
    stop_display
}
trap cleanup EXIT

# The joiner's machine has a screen of its own, so that neither game's window hides the
# other's menus from its automation.
start_display || fail "the joiner's virtual X server did not start"
joiner_display=$display
# The joiner's own Wine, on its own screen: the session also makes the prefix, or makes it
# again when an earlier run left it broken.
DISPLAY=$joiner_display wine_session_start "$wine_run" "$joiner_prefix" ||
    fail "could not start Wine in $joiner_prefix"

start_server "$server" "$work"

# Virtual-LAN addresses: they only ever appear in launch files and records.
host_lan=10.140.0.9
joiner_lan=10.140.0.23

# The host's battle lasts longest, so that its game ends last and its room update finds
# nobody still in battle.
ARDENTIS_SIM_TA_READY_MS=2500 ARDENTIS_SIM_TA_BATTLE_MS=5000 \
    "$wine_run" "$driver" role=host exe="$(windows_path "$work/host/client/Ardentis.exe")" \
    host=127.0.0.1 port="$port" account=alice password=pw-alice \
    tadir="$(windows_path "$work/host/ta")" lan="$host_lan" peer=bob hostlan="$host_lan" &
host_pid=$!
ARDENTIS_SIM_TA_READY_MS=1000 ARDENTIS_SIM_TA_BATTLE_MS=1500 DISPLAY=$joiner_display \
    WINEPREFIX="$joiner_prefix" "$wine_run" "$driver" role=joiner \
    exe="$(windows_path "$work/joiner/client/Ardentis.exe")" \
    host=127.0.0.1 port="$port" account=bob password=pw-bob \
    tadir="$(windows_path "$work/joiner/ta")" lan="$joiner_lan" peer=alice hostlan="$host_lan" &
joiner_pid=$!

host_status=0
joiner_status=0
wait "$host_pid" || host_status=$?
host_pid=
if [ "$host_status" -ne 0 ]; then
    # The joiner would only wait out its limits.
    stop "$joiner_pid"
    joiner_status=1
else
    wait "$joiner_pid" || joiner_status=$?
fi
joiner_pid=

if [ "$host_status" -ne 0 ] || [ "$joiner_status" -ne 0 ]; then
    for player in host joiner; do
        echo "game_e2e: $player's game log:" >&2
        cat "$work/$player/ta/simgame.log" >&2 2>/dev/null || echo "  (none)" >&2
    done
    echo "game_e2e: server log:" >&2
    cat "$work/server.log" >&2
    fail "host driver status $host_status, joiner driver status $joiner_status"
fi
echo "game_e2e: passed"
