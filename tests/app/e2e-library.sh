#!/usr/bin/env bash
# End-to-end check of the Library window: the real program under a virtual X server and a private
# session bus, with a song folder in its settings. Ctrl+F on the player window, three letters and
# Enter append the song to the empty playlist; the default playlist written when the desktop's
# media controls end the player holds it.
#
#   tests/app/e2e-library.sh build/bin/vokplayer examples
set -euo pipefail

player=$(realpath "$1")
examples=$(realpath "$2")

source "$(dirname "$0")/e2e-common.sh"
e2e_under_xvfb "-screen 0 1280x1024x24" "$0" "$@"
if [ -z "${VOK_E2E_BUS:-}" ]; then
    exec env VOK_E2E_BUS=1 dbus-run-session -- "$0" "$@"
fi
e2e_workspace
mkdir -p "$work/songs/other"
cp "$examples/twinkle.vok" "$examples/twinkle.mp3" "$work/songs/"
cp "$examples/twinkle.mp3" "$work/songs/other/Morning Star.mp3"
printf '[Kataloger]\r\n0=%s\r\n' "$work/songs" >"$work/app/VokPlayer.ini"
e2e_start "$player"

main=$(wait_window "^Kestrovane Vokalento$")
sleep 1  # the start-up scan of two songs
xdotool windowfocus --sync "$main" 2>/dev/null || true
xdotool key ctrl+f
library=$(wait_window "^Library$")
xdotool windowfocus --sync "$library" 2>/dev/null || true
xdotool type --delay 100 "twi"
sleep 0.5
xdotool key Return
sleep 0.5

for _ in $(seq 50); do
    gdbus call --session -d org.mpris.MediaPlayer2.vokplayer -o /org/mpris/MediaPlayer2 \
        -m org.mpris.MediaPlayer2.Quit >/dev/null 2>&1 && break
    sleep 0.1
done
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if ! grep -qxF "$work/songs/twinkle.vok"$'\r' "$work/app/default.vpl" 2>/dev/null; then
    echo "the song found in the Library window is not in the playlist" >&2
    cat "$work/app/default.vpl" >&2 2>/dev/null || true
    cat "$work/player.log" >&2
    exit 1
fi
echo "library e2e: ok"
