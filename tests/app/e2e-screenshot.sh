#!/usr/bin/env bash
# End-to-end check of the real program: starts the player under a virtual X server with the demo
# song, takes a screenshot while the first lyric line sounds, and checks that the current line is
# drawn on its dark blue band: in the window, or scaled to the whole 1024 x 768 screen when a file
# from outside starts in full screen (the default), or - with two monitors side by side and
# DualDesc set - scaled to the second monitor only. With --hand-over the player starts empty and a
# second start, run from the song's folder with a relative name, hands the song to it and must
# end with 0.
#
#   tests/app/e2e-screenshot.sh [--hand-over] build/bin/vokplayer examples/twinkle.vok \
#       window|fullscreen|dual
set -euo pipefail

handover=""
if [ "${1:-}" = "--hand-over" ]; then
    handover=1
    shift
fi
player=$(realpath "$1")
song=$(realpath "$2")
mode=${3:-window}
set -- ${handover:+--hand-over} "$player" "$song" "$mode"

source "$(dirname "$0")/e2e-common.sh"
# Two monitors are one wide screen split in two; -noreset keeps the split when the client that
# made it disconnects.
screen="-screen 0 1024x768x24"
[ "$mode" = dual ] && screen="-screen 0 2048x768x24 -noreset"
e2e_under_xvfb "$screen" "$0" "$@"

# A run with a file writes no settings; the player started empty for a hand-over has its own
# working folder.
e2e_workspace
mkdir -p "$work/first"
if [ "$mode" = window ]; then
    printf '[Installningar]\nAutoStartFS=0\n' >"$work/app/VokPlayer.ini"
elif [ "$mode" = dual ]; then
    printf '[Installningar]\nDualDesc=1\nPlayListVisible=1\n' >"$work/app/VokPlayer.ini"
    xrandr --setmonitor LEFT 1024/271x768/203+0+0 screen >/dev/null
    xrandr --setmonitor RIGHT 1024/271x768/203+1024+0 none >/dev/null
fi
if [ -n "$handover" ]; then
    e2e_start bash -c 'cd "$1" && exec "$2"' _ "$work/first" "$player"
else
    e2e_start "$player" "$song"
fi

window=$(wait_window "Kestrovane Vokalento")

if [ -n "$handover" ]; then
    # It returns once the running player opened the song and started it.
    status=0
    (cd "$(dirname "$song")" && timeout 20 "$player" "$(basename "$song")") || status=$?
    if [ "$status" -ne 0 ]; then
        echo "the second start ended with $status" >&2
        exit 1
    fi
    echo "the second start handed the song over and ended with 0"
fi

# The demo's first line sounds from about 2.25 s to 7.0 s after the start.
sleep 3.5
for attempt in 1 2 3 4; do
    # Going full screen makes a new native window; its place is the whole screen anyway.
    X=0 Y=0
    if [ "$mode" = window ]; then
        eval "$(xdotool getwindowgeometry --shell "$window")"
    fi
    import -window root -depth 8 "$work/shot.ppm"
    if python3 - "$work/shot.ppm" "$X" "$Y" "$mode" <<'EOF'; then
import sys

path, left, top, mode = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
data = open(path, "rb").read()
# Binary PPM: "P6", width, height, maximum, then RGB bytes.
fields, pos = [], 0
while len(fields) < 4:
    while data[pos:pos + 1].isspace():
        pos += 1
    end = pos
    while not data[end:end + 1].isspace():
        end += 1
    fields.append(data[pos:end])
    pos = end
pos += 1
width, height = int(fields[1]), int(fields[2])
if int(fields[3]) != 255:
    sys.exit("expected 8-bit samples")


def pixel(x, y):
    i = pos + 3 * ((top + y) * width + left + x)
    return data[i], data[i + 1], data[i + 2]


# The band of the current line: rows 111-143 of the window, RGB565 0x0088 = (0, 16, 66). In full
# screen on 1024 x 768 everything is 1.6 times as large, the lyric area starting at row 241.
def is_band(rgb):
    r, g, b = rgb
    return r <= 8 and 8 <= g <= 24 and 56 <= b <= 76


if mode in ("fullscreen", "dual"):
    # The second monitor starts at column 1024; the first stays as it was, black.
    left, top = (1024 if mode == "dual" else 0), 0
    if mode == "dual" and max(pixel(-1024 + 512, 346)) > 40:
        sys.exit("the lyrics are on the first monitor too")
    band_rows, columns, edges, above_at = range(325, 367), range(0, 1024, 2), (3, 1020), (512, 287)
else:
    band_rows, columns, edges, above_at = range(112, 143), range(0, 640, 2), (3, 636), (320, 90)
edge = [pixel(x, y) for y in band_rows for x in edges]
band_share = sum(is_band(p) for p in edge) / len(edge)
bright = sum(1 for y in band_rows for x in columns if min(pixel(x, y)) >= 200)
above = pixel(*above_at)
print(f"band share {band_share:.2f}, bright text pixels {bright}, above band {above}")
sys.exit(0 if band_share >= 0.9 and bright >= 40 and max(above) <= 40 else 1)
EOF
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "the player ended early" >&2
            exit 1
        fi
        echo "attempt $attempt: lyric band with its line found"
        if [ "$mode" = dual ]; then
            # The playlist window stays usable on the first monitor.
            list=$(xdotool search --onlyvisible --name "^Playlist$" 2>/dev/null | head -n1 || true)
            if [ -z "$list" ]; then
                echo "the playlist window is not shown beside the lyrics" >&2
                exit 1
            fi
            eval "$(xdotool getwindowgeometry --shell "$list")"
            if [ "$X" -ge 1024 ]; then
                echo "the playlist window is on the lyrics' monitor (x $X)" >&2
                exit 1
            fi
            echo "playlist window at x $X on the first monitor"
        fi
        exit 0
    fi
    sleep 0.8
done
echo "no lyric band with text on the screen" >&2
cat "$work/player.log" >&2
exit 1
