#!/usr/bin/env bash
# End-to-end check of an LRC song: the demo song copied beside an LRC file written from the demo's
# lyric file (same words, same times, lines listed out of order, CR LF), then played in a window by
# e2e-screenshot.sh, which reads the current line's band from a screenshot.
#
#   tests/app/e2e-lrc.sh build/bin/vokplayer examples
set -euo pipefail
player=$(realpath "$1")
examples=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp "$examples/twinkle.mp3" "$work/Twinkle.MP3"
python3 - "$examples/twinkle.vok" "$work/twinkle.lrc" <<'PY'
import struct
import sys

data = open(sys.argv[1], "rb").read()
if data[:10] != b"VOKALENTO\x02":
    sys.exit("expected a version-2 lyric file")
count = struct.unpack_from("<i", data, 598)[0]
pos, lines = 602, []
for _ in range(count):
    number, start, end = struct.unpack_from("<iii", data, pos + 3)
    length = data[pos + 15]
    lines.append((start, end, data[pos + 16:pos + 16 + length].decode("cp1252")))
    pos += 16 + length


def stamp(ms):
    return f"{ms // 60000:02d}:{ms // 1000 % 60:02d}.{ms % 1000 // 10:02d}"


out = ["[ti:Twinkle (LRC)]", "[ar:Traditional]"]
# The lines reversed: the reader sorts them; each ends at its own end with an empty stamp.
for start, end, text in reversed(lines):
    out.append(f"[{stamp(start)}]{text}")
    out.append(f"[{stamp(end)}]")
open(sys.argv[2], "w", encoding="utf-8", newline="").write("\r\n".join(out) + "\r\n")
PY
"$(dirname "$0")/e2e-screenshot.sh" "$player" "$work/twinkle.lrc" window
