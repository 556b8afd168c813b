#!/usr/bin/env bash
# End-to-end check of the settings dialog: the real program under a virtual X server. "Settings..."
# opens the dialog, "Add..." opens the folder browser, where the song folder is typed and taken
# with Enter; OK writes it to VokPlayer.ini at once, with the jump time read from the file.
#
#   tests/app/e2e-settings.sh build/bin/vokplayer
set -euo pipefail

player=$(realpath "$1")

if [ -z "${VOK_E2E_INNER:-}" ]; then
    # A hung X server or player must never hang the suite.
    exec timeout 45 env VOK_E2E_INNER=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        sleep 0.3
        kill -9 "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/app" "$work/songs"
# The instance lock and socket in a folder of our own, so no other player is the one found.
mkdir -m 0700 "$work/run"
printf '[Installningar]\nSpolTid=9\nMainFrmX=10\nMainFrmY=10\n' >"$work/app/VokPlayer.ini"
SDL_AUDIODRIVER=dummy VOK_APP_DIR="$work/app" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/run" \
    "$player" >"$work/player.log" 2>&1 &
pid=$!

# Waits for a visible window whose title matches; prints its id.
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

main=$(wait_window "^Kestrovane Vokalento$")
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"
# "Settings..." lies at 540, 148 (81 x 21) on the control panel, which starts 300 pixels down.
xdotool mousemove $((X + 580)) $((Y + 300 + 158)) click 1

dialog=$(wait_window "^Settings$")
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$dialog")"
# "Add..." in the group "Path to songs", below the page tabs.
xdotool mousemove $((X + 59)) $((Y + 169)) click 1

browser=$(wait_window "^Where do you have your songs")
sleep 0.5
xdotool windowfocus --sync "$browser" 2>/dev/null || true
xdotool type --delay 20 "$work/songs"
sleep 0.3
xdotool key Return
sleep 0.5
# A completion list may take the first Enter.
if xdotool search --onlyvisible --name "^Where do you have your songs" >/dev/null 2>&1; then
    xdotool key Return
    sleep 0.5
fi

# OK at 21, 347 (76 x 36).
xdotool mousemove $((X + 59)) $((Y + 365)) click 1
sleep 0.5
if xdotool search --onlyvisible --name "^Settings$" >/dev/null 2>&1; then
    echo "the settings dialog is still open after OK" >&2
    cat "$work/player.log" >&2
    exit 1
fi
# Without a window manager nothing can ask the player to close; OK has written already.
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""

expected=$(printf '[Installningar]\nSpolTid=9\nMainFrmX=10\nMainFrmY=10\nDualDesc=0\nAutoStartFS=1\nTextFarg=50331647\nTextOLFarg=40265318\nEnableOLText=1\n[Kataloger]\n0=%s\n[VokKatalog]\nVart=\n' "$work/songs")
actual=$(cat "$work/app/VokPlayer.ini")
if [ "$actual" != "$expected" ]; then
    echo "VokPlayer.ini after OK:" >&2
    cat "$work/app/VokPlayer.ini" >&2
    echo "expected:" >&2
    echo "$expected" >&2
    exit 1
fi
echo "settings e2e: ok"
