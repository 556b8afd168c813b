#!/bin/sh
# Plays FILE to its end with vokplay-cli and with ffplay (both on SDL's dummy driver) and prints
# the CPU seconds (user + system) each used and their ratio.
# Usage: bench/compare-ffplay.sh FILE [path/to/vokplay-cli]
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 FILE [vokplay-cli]" >&2
    exit 2
fi
file=$1
here=$(dirname "$0")
cli=${2:-$here/../build/bin/vokplay-cli}
[ -x "$cli" ] || { echo "vokplay-cli not found at $cli (build it or pass its path)" >&2; exit 2; }
command -v ffplay >/dev/null || { echo "ffplay not installed" >&2; exit 2; }
export SDL_AUDIODRIVER=dummy

cpu_of() {
    # GNU time: user + system seconds of the command and its threads.
    /usr/bin/time -f "%U %S" -o "$tmp" "$@" >/dev/null 2>&1 || true
    awk '{ printf "%.2f", $1 + $2 }' "$tmp"
}
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT

ours=$(cpu_of "$cli" "$file")
theirs=$(cpu_of ffplay -nodisp -autoexit -loglevel quiet "$file")
echo "vokplay-cli: $ours s CPU"
echo "ffplay:      $theirs s CPU"
awk -v a="$ours" -v b="$theirs" 'BEGIN { if (b > 0) printf "ratio:       %.2f\n", a / b; else print "ratio:       n/a" }'
