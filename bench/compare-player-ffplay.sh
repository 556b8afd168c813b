#!/bin/sh
# Plays a song with the whole player (window mode, spectrum on, under a virtual X server) and its
# audio file with ffplay -nodisp, both on SDL's dummy driver, and prints the CPU seconds (user +
# system) each used and their ratio. The song is a lyric file or an MP3+G song (a .cdg, whose
# audio is then the .mp3 of the same name unless given).
# Usage: bench/compare-player-ffplay.sh [SONG.vok|SONG.cdg [AUDIO] [path/to/vokplayer]]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
song=${1:-$here/../examples/twinkle.vok}
case "$song" in
*.cdg) default_audio=${song%.*}.mp3 ;;
*) default_audio=$(dirname "$song")/twinkle.mp3 ;;
esac
audio=${2:-$default_audio}
player=${3:-$here/../build/bin/vokplayer}
[ -x "$player" ] || { echo "vokplayer not found at $player (build it or pass its path)" >&2; exit 2; }
command -v ffplay >/dev/null || { echo "ffplay not installed" >&2; exit 2; }
command -v xvfb-run >/dev/null || { echo "xvfb-run not installed" >&2; exit 2; }
export SDL_AUDIODRIVER=dummy

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$audio" | cut -d. -f1)
# Window mode, so the spectrum analyser draws; nothing of the user's is read or written.
printf '[Installningar]\nAutoStartFS=0\nSpectrumActive=1\n' >"$tmp/VokPlayer.ini"

# GNU time: user + system seconds of the command and everything it waited for (its last line;
# a command ended by timeout adds a line about its exit status).
cpu() {
    tail -n 1 "$1" | awk '{ printf "%.2f", $1 + $2 }'
}

# The player runs the song's length and a second more, then is ended; the X server is not counted.
VOK_APP_DIR="$tmp" xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/time -f "%U %S" \
    -o "$tmp/ours" timeout -s TERM "$((seconds + 1))" "$player" "$song" >/dev/null 2>&1 || true
/usr/bin/time -f "%U %S" -o "$tmp/theirs" ffplay -nodisp -autoexit -loglevel quiet "$audio" \
    >/dev/null 2>&1 || true
ours=$(cpu "$tmp/ours")
theirs=$(cpu "$tmp/theirs")
echo "song:     $seconds s"
echo "vokplayer: $ours s CPU"
echo "ffplay:    $theirs s CPU"
awk -v a="$ours" -v b="$theirs" 'BEGIN { if (b > 0) printf "ratio:     %.2f\n", a / b; else print "ratio:     n/a" }'
