#!/usr/bin/env bash
# The whole player against ffplay -nodisp on the same audio, side by side, mode by mode. Each mode
# alternates the two RUNS times (both on SDL's dummy driver, the player under a virtual X server
# whose own CPU is not counted) and prints the CPU seconds (user + system) of each run, the
# player's peak resident memory, the time from its start to its first painted frame, and the
# ratios with their median and spread. Where mpv is installed it runs too, showing the same
# lines as subtitles in a 640 x 300 window.
#
# Modes: window (lyrics and spectrum), fullscreen (1920 x 1080), cdg and cdg-fullscreen (an
# MP3+G song drawing like a karaoke disc), key2 (the demo raised two semitones).
#
# Before a mode is timed the player plays its song once for a few seconds, so that the song's
# loudness is measured and kept as on every evening after the first; that first play's CPU is
# printed apart.
#
# Usage: bench/compare-player-ffplay.sh [-n RUNS] [-p path/to/vokplayer] [MODE...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
runs=3
player=$here/../build/bin/vokplayer
while getopts "n:p:" option; do
    case $option in
    n) runs=$OPTARG ;;
    p) player=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
modes=("$@")
[ ${#modes[@]} -gt 0 ] || modes=(window fullscreen cdg cdg-fullscreen key2)
[ -x "$player" ] || { echo "vokplayer not found at $player (build it or pass -p)" >&2; exit 2; }
for tool in ffplay ffprobe xvfb-run xdotool python3; do
    command -v $tool >/dev/null || { echo "$tool not installed" >&2; exit 2; }
done
export SDL_AUDIODRIVER=dummy

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
demo=$here/../examples/twinkle.vok
audio=$here/../examples/twinkle.mp3
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$audio" | cut -d. -f1)
python3 "$here/make-cdg-song.py" "$tmp/Band - Song.cdg" "$seconds"
cp "$audio" "$tmp/Band - Song.mp3"

# The demo's lines as subtitles, for mpv.
python3 - "$demo" "$tmp/demo.srt" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
at, lines = data.find(b"SID"), []
while at >= 0 and at + 16 <= len(data):
    _, start, end, size = struct.unpack_from("<iiiB", data, at + 3)
    lines.append((start, end, data[at + 16:at + 16 + size].decode("cp1252")))
    at = data.find(b"SID", at + 16 + size)
def stamp(ms):
    return "%02d:%02d:%02d,%03d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)
with open(sys.argv[2], "w") as out:
    for n, (start, end, text) in enumerate(lines, 1):
        out.write(f"{n}\n{stamp(start)} --> {stamp(end)}\n{text}\n\n")
PY

# The settings and the library of one mode, kept across its runs.
prepare() { # MODE
    local dir=$tmp/app-$1 fullscreen=0
    case $1 in *fullscreen) fullscreen=1 ;; esac
    mkdir -p "$dir"
    printf '[Installningar]\nAutoStartFS=%s\nSpectrumActive=1\n' $fullscreen >"$dir/VokPlayer.ini"
    echo "$dir"
}
screen_of() { case $1 in *fullscreen) echo 1920x1080x24 ;; *) echo 1024x768x24 ;; esac; }
song_of() { case $1 in cdg*) echo "$tmp/Band - Song.cdg" ;; *) echo "$demo" ;; esac; }

# One run of the player: "cpu rss startup" (seconds, MB, ms). With "first", it presses the keys
# of its mode and ends after a few seconds.
run_player() { # MODE DIR [first]
    local mode=$1 dir=$2 first=${3:-} length=$((seconds + 1))
    [ -z "$first" ] || length=6
    local keys=""
    [ "$mode" != key2 ] || [ -z "$first" ] || keys="Prior Prior"
    VOK_APP_DIR="$dir" QT_LOGGING_RULES="vok.player.info=true" KEYS="$keys" \
        xvfb-run -a -s "-screen 0 $(screen_of "$mode")" bash -c '
        started=$(date +%s%3N)
        /usr/bin/time -f "%U %S %M" -o "$0/time" timeout -s TERM "$1" "$2" "$3" 2>"$0/log" &
        if [ -n "$KEYS" ]; then
            sleep 2
            window=$(xdotool search --onlyvisible --name "Kestrovane Vokalento" | head -n1)
            for key in $KEYS; do xdotool key --window "$window" "$key" 2>/dev/null; sleep 0.2; done
        fi
        wait
        echo "$started" >"$0/started"' "$dir" "$length" "$player" "$(song_of "$mode")" || true
    local painted
    painted=$(sed -n 's/.*first frame painted at \([0-9]*\) ms.*/\1/p' "$dir/log" | head -n1)
    awk -v started="$(cat "$dir/started")" -v painted="${painted:-0}" \
        'END { printf "%.2f %.1f %d\n", $1 + $2, $3 / 1024, (painted > 0 ? painted - started : -1) }' \
        "$dir/time"
}

run_ffplay() {
    /usr/bin/time -f "%U %S" -o "$tmp/ffplay" ffplay -nodisp -autoexit -loglevel quiet "$audio" \
        >/dev/null 2>&1 || true
    awk 'END { printf "%.2f\n", $1 + $2 }' "$tmp/ffplay"
}

run_mpv() { # MODE
    local size=640x300 extra=()
    case $1 in *fullscreen) extra=(--fs) ;; esac
    # A black picture of the song's length to carry the subtitles.
    xvfb-run -a -s "-screen 0 $(screen_of "$1")" /usr/bin/time -f "%U %S" -o "$tmp/mpv" \
        mpv --really-quiet --no-config --vo=x11 --ao=sdl --geometry=$size "${extra[@]}" \
        --sub-file="$tmp/demo.srt" \
        --lavfi-complex="color=c=black:s=$size:r=30:d=$seconds[vo];[aid1]anull[ao]" \
        "$audio" >/dev/null 2>&1 || true
    awk 'END { printf "%.2f\n", $1 + $2 }' "$tmp/mpv"
}

# Median, lowest and highest of the numbers on stdin.
spread() {
    sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "n/a"; exit }
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%.2f (%.2f-%.2f)", m, v[1], v[NR] }'
}

echo "song: $seconds s, $runs alternating runs a mode, player $player"
for mode in "${modes[@]}"; do
    dir=$(prepare "$mode")
    first_cpu=$(run_player "$mode" "$dir" first | cut -d" " -f1)
    : >"$tmp/ratios"
    : >"$tmp/mpv-ratios"
    : >"$tmp/rss"
    : >"$tmp/startup"
    echo "== $mode (first play, 6 s, measuring the song: $first_cpu s CPU)"
    for run in $(seq "$runs"); do
        read -r ours rss startup <<<"$(run_player "$mode" "$dir")"
        theirs=$(run_ffplay)
        line="run $run: vokplayer $ours s, $rss MB, first frame $startup ms; ffplay $theirs s"
        awk -v a="$ours" -v b="$theirs" 'BEGIN { if (b > 0) printf "%.3f\n", a / b }' \
            >>"$tmp/ratios"
        if command -v mpv >/dev/null && [ "${mode#cdg}" = "$mode" ]; then
            other=$(run_mpv "$mode")
            line="$line; mpv $other s"
            awk -v a="$ours" -v b="$other" 'BEGIN { if (b > 0) printf "%.3f\n", a / b }' \
                >>"$tmp/mpv-ratios"
        fi
        echo "$line"
        echo "$rss" >>"$tmp/rss"
        echo "$startup" >>"$tmp/startup"
    done
    echo "ratio to ffplay: $(spread <"$tmp/ratios")"
    [ ! -s "$tmp/mpv-ratios" ] || echo "ratio to mpv:    $(spread <"$tmp/mpv-ratios")"
    echo "resident MB:     $(spread <"$tmp/rss")"
    echo "first frame ms:  $(spread <"$tmp/startup")"
done
