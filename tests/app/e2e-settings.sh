#!/usr/bin/env bash
# End-to-end check of the settings dialog: the real program under a virtual X server. "Settings..."
# opens the dialog, "Add..." opens the folder browser, where the song folder is typed and taken
# with Enter; OK writes it to VokPlayer.ini at once, with the jump time read from the file.
#
#   tests/app/e2e-settings.sh build/bin/vokplayer
set -euo pipefail

player=$(realpath "$1")

source "$(dirname "$0")/e2e-common.sh"
e2e_under_xvfb "-screen 0 1024x768x24" "$0" "$@"
e2e_workspace
mkdir -p "$work/songs"
printf '[Installningar]\nSpolTid=9\nMainFrmX=10\nMainFrmY=10\n' >"$work/app/VokPlayer.ini"
e2e_start "$player"

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
