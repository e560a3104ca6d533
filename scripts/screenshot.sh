#!/usr/bin/env bash
# Takes a picture of the window under a virtual X server (Xvfb) into
# docs/window.png (or the file given). A copy of the built program runs in a
# temporary folder with settings of its own (English, placed at the top
# left, the demo card image with its clips and playlists), so your settings
# are not touched. The first playlist is clicked, so that its entries show
# with their transitions. With "drop", two files are dragged over the clip
# list instead, from a small drag source (scripts/drag-files.cpp), and the
# picture shows the slots they would go to.
# With a SCALE (1, 1.25, 1.5, 2...) the window is drawn at that scale
# factor (QT_SCALE_FACTOR) on a screen as many times larger.
# With "max" after the scale the window is first resized to fill the
# screen; otherwise it opens at its smallest size.
# Usage: scripts/screenshot.sh [OUTPUT.png] [LANGUAGE: 0 English, 1 Russian] [drop|-] [SCALE] [max]
# The build folder is "build" unless TESSARO_BUILD_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/window.png}
language=${2:-0}
mode=${3:-}
[ "$mode" = - ] && mode=
scale=${4:-1}
size=${5:-}
screenW=$(awk -v s="$scale" 'BEGIN { printf "%d", 1280 * s }')
screenH=$(awk -v s="$scale" 'BEGIN { printf "%d", 960 * s }')
build=${TESSARO_BUILD_DIR:-build}

bash scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target tessaro tessaro-card >/dev/null
mkdir -p "$(dirname "$out")"
bash scripts/demo-card.sh "$build" >/dev/null

tmp=$(mktemp -d)
xpid=
apid=
dpid=
cleanup() {
  [ -n "$dpid" ] && kill "$dpid" 2>/dev/null || true
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
Xvfb ":$n" -screen 0 "${screenW}x${screenH}x24" -nolisten tcp >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

DISPLAY=":$n" XDG_RUNTIME_DIR="$tmp" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" "$tmp/tessaro" >/dev/null 2>&1 &
apid=$!
sleep 3

# The first item of the playlist list: the list starts at 160, 120 of the
# window's 516 x 388 dialog units; its first item lies under that corner.
window=$(DISPLAY=":$n" xdotool search --sync --name '^Tessaro M8$' | head -1)
if [ "$size" = max ]; then
  DISPLAY=":$n" xdotool windowsize "$window" 100% 100%
  sleep 1
fi
eval "$(DISPLAY=":$n" xdotool getwindowgeometry --shell "$window")"
DISPLAY=":$n" xdotool mousemove --window "$window" $((WIDTH * 160 / 516 + 53)) $((HEIGHT * 120 / 388 + 40)) \
  click 1 mousemove 0 0
sleep 1

pointer=0
if [ "$mode" = drop ]; then
  # The clip list (412, 41, 88 x 175 dialog units) scrolled by one step of
  # the wheel, so that the first empty slots show; then two files from the
  # drag source held over its empty space right of the items.
  g++ -std=c++17 -fPIC scripts/drag-files.cpp -o "$tmp/drag-files" $(pkg-config --cflags --libs Qt6Widgets)
  touch "$tmp/sunset.mp4" "$tmp/harbour.mp4"
  DISPLAY=":$n" QT_QPA_PLATFORM=xcb "$tmp/drag-files" "$tmp/sunset.mp4" "$tmp/harbour.mp4" >/dev/null 2>&1 &
  dpid=$!
  sleep 2
  listX=$((X + WIDTH * 482 / 516))
  listY=$((Y + HEIGHT * 130 / 388))
  DISPLAY=":$n" xdotool mousemove "$listX" "$listY" click 5 sleep 0.5 mousemove 1240 920 mousedown 1
  for step in 1 2 3 4 5 6 7 8; do
    DISPLAY=":$n" xdotool mousemove $((1240 + (listX - 1240) * step / 8)) $((920 + (listY - 920) * step / 8)) sleep 0.1
  done
  sleep 1
  pointer=1
fi

ffmpeg -hide_banner -loglevel error -y -f x11grab -draw_mouse "$pointer" -video_size "${screenW}x${screenH}" -i ":$n" \
  -frames:v 1 "$tmp/screen.png"
if [ "$mode" = drop ]; then
  DISPLAY=":$n" xdotool key Escape mouseup 1
  # Only the window: the drag source sits outside it.
  ffmpeg -hide_banner -loglevel error -y -i "$tmp/screen.png" -vf "crop=$WIDTH:$HEIGHT:$X:$Y" "$out"
  echo "$out"
  exit 0
fi
# The screen around the window is black: cut it away.
crop=$(ffmpeg -hide_banner -loop 1 -i "$tmp/screen.png" -frames:v 4 -vf cropdetect=limit=0:round=2 -f null - 2>&1 |
  grep -o 'crop=[0-9:]*' | tail -1)
ffmpeg -hide_banner -loglevel error -y -i "$tmp/screen.png" -vf "$crop" "$out"
echo "$out"
