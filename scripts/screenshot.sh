#!/usr/bin/env bash
# Takes a picture of the window under a virtual X server (Xvfb) into
# docs/window.png (or the file given). A copy of the built program runs in a
# temporary folder with settings of its own (English, placed at the top
# left, the demo card image with its clips and playlists), so your settings
# are not touched. The first playlist is clicked, so that its entries show
# with their transitions.
# Usage: scripts/screenshot.sh [OUTPUT.png] [LANGUAGE: 0 English, 1 Russian]
# The build folder is "build" unless TESSARO_BUILD_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/window.png}
language=${2:-0}
build=${TESSARO_BUILD_DIR:-build}

bash scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target tessaro tessaro-card >/dev/null
mkdir -p "$(dirname "$out")"
bash scripts/demo-card.sh "$build" >/dev/null

tmp=$(mktemp -d)
xpid=
apid=
cleanup() {
  [ -n "$apid" ] && kill "$apid" 2>/dev/null || true
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

cp "$build/src/app/tessaro" "$tmp/tessaro"
printf '[Layout]\nLanguage=%s\nLeft=0\nTop=0\n[Cards]\nImage1=%s\n' "$language" "$PWD/demo/card.img" >"$tmp/tessaro.ini"

# A free display number.
n=99
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x960x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

DISPLAY=":$n" XDG_RUNTIME_DIR="$tmp" QT_QPA_PLATFORM=xcb "$tmp/tessaro" >/dev/null 2>&1 &
apid=$!
sleep 3

# The first item of the playlist list: the list starts at 160, 120 of the
# window's 516 x 388 dialog units; its first item lies under that corner.
window=$(DISPLAY=":$n" xdotool search --sync --name '^Tessaro M8$' | head -1)
eval "$(DISPLAY=":$n" xdotool getwindowgeometry --shell "$window")"
DISPLAY=":$n" xdotool mousemove --window "$window" $((WIDTH * 160 / 516 + 53)) $((HEIGHT * 120 / 388 + 40)) \
  click 1 mousemove 0 0
sleep 1

ffmpeg -hide_banner -loglevel error -y -f x11grab -draw_mouse 0 -video_size 1280x960 -i ":$n" \
  -frames:v 1 "$tmp/screen.png"
# The screen around the window is black: cut it away.
crop=$(ffmpeg -hide_banner -loop 1 -i "$tmp/screen.png" -frames:v 4 -vf cropdetect=limit=0:round=2 -f null - 2>&1 |
  grep -o 'crop=[0-9:]*' | tail -1)
ffmpeg -hide_banner -loglevel error -y -i "$tmp/screen.png" -vf "$crop" "$out"
echo "$out"
