#!/usr/bin/env bash
# End-to-end check of the playlist window: the real program under a virtual X server with a
# two-entry default list and the window shown from the settings. A double click on row 2 makes it
# the active entry (row 1 loses its green), and "Play" on the tool bar starts it (the progress bar
# fills in green).
#
#   tests/app/e2e-playlist.sh build/bin/vokplayer examples
set -euo pipefail

player=$(realpath "$1")
examples=$(realpath "$2")

source "$(dirname "$0")/e2e-common.sh"
e2e_under_xvfb "-screen 0 1024x768x24" "$0" "$@"
e2e_workspace
mkdir -p "$work/songs"
cp "$examples/twinkle.mp3" "$work/songs/first.mp3"
cp "$examples/twinkle.vok" "$examples/twinkle.mp3" "$work/songs/"
printf '%s\r\n%s\r\n' "$work/songs/first.mp3" "$work/songs/twinkle.vok" >"$work/app/default.vpl"
printf '[Installningar]\r\nPlayListVisible=1\r\nPlayListX=700\r\nPlayListY=20\r\n' \
    >"$work/app/VokPlayer.ini"
e2e_start "$player"

window=$(wait_window "^Playlist$")
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"

# The colour of one screen pixel as "r,g,b".
pixel() {
    import -window root "$work/shot.png"
    convert "$work/shot.png" -crop "1x1+$1+$2" -depth 8 txt:- | tail -n1 |
        sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}

# Rows start below the tool bar (21), the progress bar (17) and the header; about 13 px each.
row1_y=$((Y + 63))
row2_y=$((Y + 76))
xdotool mousemove $((X + 60)) "$row2_y" click --repeat 2 --delay 80 1
sleep 0.5
# The selection moves back to row 1; the active row 2 shows its own colour.
xdotool mousemove $((X + 60)) "$row1_y" click 1
sleep 0.5
if [ "$(pixel $((X + 265)) "$row2_y")" != "0,128,0" ]; then
    echo "row 2 did not become the active (green) row after the double click" >&2
    exit 1
fi
if [ "$(pixel $((X + 265)) "$row1_y")" = "0,128,0" ]; then
    echo "row 1 stayed green after the double click on row 2" >&2
    exit 1
fi
# "Play" on the tool bar, then the bar's left end shows the played part.
xdotool mousemove $((X + 125)) $((Y + 10)) click 1
sleep 2
if [ "$(pixel $((X + 3)) $((Y + 29)))" != "0,204,0" ]; then
    echo "the progress bar does not follow the playing song" >&2
    exit 1
fi
echo "playlist e2e: ok"
