#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks the installed copy: the layout, the
# desktop files (validated), the MIME types (a renamed lyric file is known by its first bytes),
# --version, and that a headless run keeps its settings in the XDG folders, not beside itself.
# Usage: install-check.sh BUILD_DIR EXAMPLE_VOK
set -euo pipefail
build="$1"
example="$2"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "install-check: $*" >&2; exit 1; }

prefix="$tmp/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
id=org.kestrovane.Vokalento
for f in bin/vokplayer bin/vokplay-cli share/applications/$id.desktop \
         share/mime/packages/vokplayer.xml share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg; do
  [ -f "$prefix/$f" ] || fail "missing $f"
done
for size in 16 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$png" ] || fail "missing ${size}px icon"
  file "$png" | grep -q "$size x $size" || fail "the ${size}px icon has another size"
done
[ -d "$prefix/share/vokplayer" ] || fail "missing share/vokplayer"

desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "metainfo does not validate"

"$prefix/bin/vokplayer" --version | grep -Eq '^Kestrovane Vokalento [0-9]+\.[0-9]+\.[0-9]+$' ||
  fail "--version"
"$prefix/bin/vokplayer" --help | grep -q '/AUTOQUIT' || fail "--help"

# MIME types as the desktop sees them, from a private data folder.
export XDG_DATA_HOME="$tmp/data" XDG_DATA_DIRS="$tmp/data:/usr/share"
mkdir -p "$XDG_DATA_HOME/mime/packages"
cp "$prefix/share/mime/packages/vokplayer.xml" "$XDG_DATA_HOME/mime/packages/"
update-mime-database "$XDG_DATA_HOME/mime"
cp "$example" "$tmp/song.vok"
cp "$example" "$tmp/renamed.dat"
printf 'song.vok\n' >"$tmp/list.vpl"
# gio asks shared-mime-info directly; xdg-mime does what a desktop's file manager would (without a
# desktop session it goes through mimetype from libfile-mimeinfo-perl, which reads the same data).
gio_type() { gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'; }
xdg_type() { xdg-mime query filetype "$1"; }
for tool in gio_type xdg_type; do
  for pair in song.vok:application/x-vokalento renamed.dat:application/x-vokalento \
              list.vpl:audio/x-vokalento-playlist; do
    got="$($tool "$tmp/${pair%%:*}")"
    [ "$got" = "${pair#*:}" ] || fail "$tool ${pair%%:*}: $got, not ${pair#*:}"
  done
done

# A headless run, ended through its media-player interface the way a desktop would.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
  echo "install-check: no session bus; the settings run is skipped" >&2
  exit 0
fi
export XDG_CONFIG_HOME="$tmp/config" XDG_STATE_HOME="$tmp/state" XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
"$prefix/bin/vokplayer" &
pid=$!
for _ in $(seq 100); do
  gdbus call --session -d org.mpris.MediaPlayer2.vokplayer -o /org/mpris/MediaPlayer2 \
    -m org.mpris.MediaPlayer2.Quit >/dev/null 2>&1 && break
  sleep 0.1
done
wait "$pid" || fail "the player ended with $?"
[ -f "$XDG_CONFIG_HOME/vokplayer/VokPlayer.ini" ] || fail "no settings in XDG_CONFIG_HOME"
[ -f "$XDG_STATE_HOME/vokplayer/default.vpl" ] || fail "no default playlist in XDG_STATE_HOME"
[ ! -e "$prefix/bin/VokPlayer.ini" ] || fail "settings written beside the installed program"
echo "install-check: ok"
