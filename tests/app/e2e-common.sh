# Shared by the end-to-end scripts; sourced, not run. Each script calls e2e_under_xvfb first,
# then e2e_workspace, writes its settings into "$work/app", starts the player with e2e_start and
# finds its windows with wait_window.

# Runs the calling script again under a virtual X server (once): a hung X server or player must
# never hang the suite. $1 is the server's screen arguments, the rest the script and its arguments.
e2e_under_xvfb() {
    local screen=$1
    shift
    if [ -z "${VOK_E2E_INNER:-}" ]; then
        exec timeout 45 env VOK_E2E_INNER=1 xvfb-run -a -s "$screen" "$@"
    fi
}

# A folder of the run's own in $work: settings and the default playlist in "$work/app", the
# instance lock and socket in "$work/run", so no player the user has open is the one found. The
# player is ended and the folder removed on exit.
e2e_workspace() {
    work=$(mktemp -d)
    pid=""
    trap e2e_cleanup EXIT
    mkdir -p "$work/app"
    mkdir -m 0700 "$work/run"
    export SDL_AUDIODRIVER=dummy VOK_APP_DIR="$work/app" QT_QPA_PLATFORM=xcb \
        XDG_RUNTIME_DIR="$work/run"
}

e2e_cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        sleep 0.3
        kill -9 "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}

# Starts the given command in the background, its output in "$work/player.log"; sets $pid.
e2e_start() {
    "$@" >"$work/player.log" 2>&1 &
    pid=$!
}

# Waits for a visible window whose title matches; prints its id, or fails with the player's log.
wait_window() {
    local found=""
    for _ in $(seq 1 50); do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$found" ] && break
        sleep 0.1
    done
    if [ -z "$found" ]; then
        echo "no window \"$1\" appeared" >&2
        cat "$work/player.log" >&2
        exit 1
    fi
    echo "$found"
}
