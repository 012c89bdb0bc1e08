#!/usr/bin/env bash
# Ardentis.exe end to end, under the Wine server and X display that scripts/test-windows
# provides: the native lobby server on a free loopback port, a headless client in its
# lobby (the headless driver) and Ardentis.exe, set up and worked by the exe driver under
# Wine. Passes when both drivers finish all their steps.
# Arguments: wine-run, Ardentis.exe, the exe driver, ardentis-server, the headless driver,
# a work directory (emptied first).
set -euo pipefail
wine_run=$1
exe=$2
exe_driver=$3
server=$4
headless_driver=$5
work=$6

e2e_name=app_e2e
# shellcheck source=tests/app_e2e/e2e_common.sh
source "$(dirname "$0")/e2e_common.sh"
for native in "$server" "$headless_driver"; do
    [ -x "$native" ] || fail "missing $native: build the native tree first (make linux), or" \
        "point the cache variable ARDENTIS_NATIVE_BUILD_DIR at one"
done
[ -n "${DISPLAY:-}" ] || fail "no X display (run the Windows tests through scripts/test-windows)"

rm -rf "$work"
mkdir -p "$work/client" "$work/ta" "$work/headless"
# A copy of the exe, so that the traffic log beside it holds this run's records only.
cp "$exe" "$work/client/Ardentis.exe"
# Total Annihilation as the client looks for it: the game's exe in its directory.
: >"$work/ta/totala.exe"

server_pid=
headless_pid=
watcher_pid=
trap 'stop "$headless_pid"; stop "$watcher_pid"; stop "$server_pid"' EXIT

start_server "$server" "$work"

# Both lines carry Chinese, so the code page 936 path is crossed both ways.
exe_account=alice
peer=bob
exe_line='你好, bob'
peer_line='hello alice, 大家好'

# The exe driver asks for the server's end through this file; bounded like every wait.
stop_file="$work/stop-server"
(
    for _ in $(seq 1200); do
        if [ -e "$stop_file" ]; then
            kill "$server_pid" 2>/dev/null || true
            exit 0
        fi
        sleep 0.1
    done
) &
watcher_pid=$!

"$headless_driver" port="$port" folder="$work/headless" account="$peer" password=pw-bob \
    peer="$exe_account" say="$peer_line" hear="$exe_account>>$exe_line" &
headless_pid=$!

exe_status=0
"$wine_run" "$exe_driver" exe="$(windows_path "$work/client/Ardentis.exe")" host=127.0.0.1 \
    port="$port" account="$exe_account" password=pw-alice tadir="$(windows_path "$work/ta")" \
    lan=10.140.0.9 peer="$peer" say="$exe_line" hear="$peer>>$peer_line" \
    stopfile="$(windows_path "$stop_file")" || exe_status=$?

headless_status=0
if [ "$exe_status" -ne 0 ]; then
    # The headless side would only wait out its limits.
    stop "$headless_pid"
    headless_status=1
else
    wait "$headless_pid" || headless_status=$?
fi
headless_pid=

if [ "$exe_status" -ne 0 ] || [ "$headless_status" -ne 0 ]; then
    echo "app_e2e: server log:" >&2
    cat "$work/server.log" >&2
    fail "exe driver status $exe_status, headless driver status $headless_status"
fi
echo "app_e2e: passed"
