#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program: the window when a
# display is available, else the terminal tool's view of the demo card.
# Without a card configured the window works on a demo card image in demo/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"

# The window keeps its settings beside the executable. When no card image
# is named there, the demo card (three clips and a playlist) is prepared and
# named as the first card, so the program shows something without a reader.
ini=build/src/app/tessaro.ini
if ! grep -qs '^Image[0-9]*=' "$ini"; then
  if grep -qs '^\[Cards\]' "$ini"; then
    sed -i "/^\[Cards\]/a Image1=$PWD/demo/card.img" "$ini"
  else
    printf '\n[Cards]\nImage1=%s\n' "$PWD/demo/card.img" >>"$ini"
  fi
fi
if grep -qsx "Image[0-9]*=$PWD/demo/card.img" "$ini"; then
  bash scripts/demo-card.sh build >/dev/null
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/src/app/tessaro ]; then
  exec ./build/src/app/tessaro
fi
bash scripts/demo-card.sh build >/dev/null
./build/src/cli/tessaro-card info demo/card.img
