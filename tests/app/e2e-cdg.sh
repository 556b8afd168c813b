#!/usr/bin/env bash
# End-to-end check of an MP3+G song: a zip holding a CD+G picture stream (written here: a blue
# screen, then a yellow block in its middle from 1 s on) and the demo's audio is opened from
# outside, so it plays full screen on a 1920 x 1080 screen; a screenshot must show the picture as
# large as the screen allows, centred, with the block in its middle.
#
#   tests/app/e2e-cdg.sh build/bin/vokplayer examples
set -euo pipefail
player=$(realpath "$1")
examples=$(realpath "$2")
set -- "$player" "$examples"

source "$(dirname "$0")/e2e-common.sh"
e2e_under_xvfb "-screen 0 1920x1080x24" "$0" "$@"
e2e_workspace

python3 - "$examples/twinkle.mp3" "$work/Band - Song.zip" <<'PY'
import sys
import zipfile

packets = []


def instruction(code, data):
    packets.append(bytes([0x09, code, 0, 0]) + bytes(data).ljust(16, b"\0") + bytes(4))


def colour(rgb):  # 4 bits each
    r, g, b = rgb >> 8, (rgb >> 4) & 15, rgb & 15
    return [(r << 2) | (g >> 2), ((g & 3) << 4) | b]


instruction(30, sum((colour(c) for c in (0x000, 0x00F, 0xFF0, 0, 0, 0, 0, 0)), []))
instruction(1, [1, 0])  # memory preset: blue
packets.extend([bytes(24)] * 300)
for row in range(7, 11):  # tiles of 6 x 12 pixels: rows 7-10, columns 22-27 are the middle
    for column in range(22, 28):
        instruction(6, [1, 2, row, column] + [0x3F] * 12)
packets.extend([bytes(24)] * 300 * 20)
with zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED) as song:
    song.writestr("Band - Song.cdg", b"".join(packets))
    song.write(sys.argv[1], "Band - Song.mp3")
PY

e2e_start "$player" "$work/Band - Song.zip"
wait_window "Kestrovane Vokalento" >/dev/null
sleep 2.5
# The colour of a screenshot's pixel as "r,g,b".
pixel() {
    convert "$work/shot.png" -format \
        "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

# The 288 x 192 inner screen five times over: 1440 x 960, centred above the status strip; the
# block in its middle, blue around it, black beside the picture.
for attempt in 1 2 3 4; do
    import -window root "$work/shot.png"
    middle=$(pixel 960 460) inside=$(pixel 300 100) beside=$(pixel 100 460)
    if [ "$middle,$inside,$beside" = "255,255,0,0,0,255,0,0,0" ]; then
        echo "the zipped song's picture fills the screen, centred"
        exit 0
    fi
    echo "attempt $attempt: middle $middle, inside $inside, beside $beside"
    sleep 0.5
done
cat "$work/player.log" >&2
exit 1
