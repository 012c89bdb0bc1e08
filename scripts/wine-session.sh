# shellcheck shell=bash
# Wine prefixes, Wine sessions and virtual X displays for the scripts that run Windows
# programs: sourced, not run. wine-run makes sure of its prefix before every program;
# scripts/test-windows and the end-to-end scripts start and end sessions with these.
#
# A prefix whose first wineboot is cut short (killed, or out of time) keeps an empty or
# partial system32 and fails every later program with "could not load kernel32.dll,
# status c0000135": only that first wineboot may load Wine's DLLs before their files exist,
# so Wine itself never repairs it. A prefix therefore counts as made only once it has been
# checked, and one that is not is removed and made again.

# Written into a prefix once it has been checked; holds the Wine version that made it.
wine_prefix_stamp=.ardentis-prefix-made
# Attempts to make a prefix before giving up, and the limit for each step of one attempt.
wine_prefix_attempts=3
wine_prefix_step_limit=300
# Put before Wine's commands (wine-run sets the locale here).
[ -n "${wine_env+set}" ] || wine_env=(env)

wine_version() { WINEDEBUG=-all wine --version 2>/dev/null; }

# Whether the prefix was made and checked here, by the Wine that runs now.
wine_prefix_complete() {
    local prefix=$1
    [ -f "$prefix/$wine_prefix_stamp" ] &&
        [ -s "$prefix/drive_c/windows/system32/kernel32.dll" ] &&
        [ -f "$prefix/system.reg" ] &&
        [ "$(cat "$prefix/$wine_prefix_stamp")" = "$(wine_version)" ]
}

# Ends every program of the prefix and its Wine server.
wine_prefix_stop() {
    local prefix
    prefix=$(realpath -m "$1")
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" timeout 60 wineserver -w >/dev/null 2>&1 || true
}

# One attempt: a new prefix from nothing, waited for and checked. Wine's output goes to
# the log. Runs in the caller's environment, which wine-run sets.
wine_prefix_make() {
    local prefix=$1 log=$2 limit=$wine_prefix_step_limit answer
    # A server still running on the old prefix (a persistent one, or one whose programs
    # were cut short) would keep serving it, and wineserver -w below would never return.
    wine_prefix_stop "$prefix"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    WINEPREFIX="$prefix" timeout "$limit" "${wine_env[@]}" wineboot -i >>"$log" 2>&1 ||
        return 1
    # wineboot returns before the programs it started have ended; the registry reaches
    # the disk only when the server does.
    WINEPREFIX="$prefix" timeout "$limit" wineserver -w >>"$log" 2>&1 || return 1
    [ -s "$prefix/drive_c/windows/system32/kernel32.dll" ] || return 1
    [ -f "$prefix/system.reg" ] || return 1
    answer=$(WINEPREFIX="$prefix" timeout "$limit" "${wine_env[@]}" \
        wine cmd /c echo prefix-works 2>>"$log") || return 1
    [[ $answer == *prefix-works* ]] || return 1
    WINEPREFIX="$prefix" timeout "$limit" wineserver -w >>"$log" 2>&1 || return 1
    wine_version >"$prefix/$wine_prefix_stamp"
}

# Makes sure the prefix is complete, making it (again) when it is not. Safe to call from
# processes running at once: one makes the prefix while the others wait for it.
wine_prefix_ensure() {
    local prefix lock attempt log
    # Wine refuses a relative prefix; the checks and the removal must name the same one.
    prefix=$(realpath -m "$1")
    wine_prefix_complete "$prefix" && return 0
    mkdir -p "$(dirname "$prefix")"
    log="$prefix.log"
    # flock's lock goes with the process holding it: a maker that is killed leaves no lock
    # behind that blocks the next run.
    exec {lock}>"$prefix.lock"
    flock "$lock"
    for attempt in $(seq "$wine_prefix_attempts"); do
        if wine_prefix_complete "$prefix"; then
            break
        fi
        echo "wine-session: making the Wine prefix $prefix (attempt $attempt)" >&2
        : >"$log"
        if wine_prefix_make "$prefix" "$log"; then
            break
        fi
        echo "wine-session: the prefix was not made; Wine said:" >&2
        tail -n 20 "$log" >&2
        wine_prefix_stop "$prefix"
    done
    exec {lock}>&-
    wine_prefix_complete "$prefix"
}

# Starts a session on the prefix: the prefix made sure of through wine-run, then a
# persistent server so that no program pays for starting one, and no wait for a window
# manager (none runs on the virtual X server; Wine would wait 2 s for one each time it
# hides a managed window, and unmanaged windows get Wine's own title bars).
wine_session_start() {
    local wine_run=$1 prefix
    prefix=$(realpath -m "$2")
    # A server left by an earlier run that was cut short still holds that run's display.
    wine_prefix_stop "$prefix"
    WINEPREFIX="$prefix" "$wine_run" cmd /c exit >/dev/null || return 1
    # That program's server must be gone before the persistent one starts, or the new one
    # would find it and leave, and the session would end with its last program.
    WINEPREFIX="$prefix" timeout 60 wineserver -w >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -p >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" "$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed \
        /d N /f >/dev/null 2>&1
    # A program that crashes ends at once with its backtrace on standard error, instead of
    # waiting in a crash dialog until the test's time runs out.
    WINEPREFIX="$prefix" "$wine_run" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
        /t REG_DWORD /d 0 /f >/dev/null 2>&1
}

wine_session_end() { wine_prefix_stop "$1"; }

# Starts a virtual X server on a display number it picks itself (no race with other
# servers starting at the same time); sets display and display_pid. The caller ends it
# with stop_display. ARDENTIS_SCREEN_SIZE gives a larger screen (WIDTHxHEIGHT): Wine draws
# no part of a window that lies off the screen, and pictures of the windows at 200% need it.
start_display() {
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${ARDENTIS_SCREEN_SIZE:-1280x1024}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    display_pid=$!
    display=
    read -r -t 30 display <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$display" ]; then
        stop_display
        return 1
    fi
    display=":$display"
}

stop_display() {
    if [ -n "${display_pid:-}" ]; then
        kill "$display_pid" 2>/dev/null || true
        wait "$display_pid" 2>/dev/null || true
        display_pid=
    fi
}
