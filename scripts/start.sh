#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program: the window when a
# display is available, else the terminal tool's view of the card. Without a
# card configured it works on a demo card image in demo/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

mkdir -p demo
if [ ! -f demo/card.img ]; then
  ./build/src/cli/tessaro-card mkimage demo/card.img 64M
  ./build/src/cli/tessaro-card --yes format demo/card.img
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/src/app/tessaro ]; then
  # The window keeps its settings beside the executable. Unless a card image
  # is named there already, name the demo image as the first card.
  ini=build/src/app/tessaro.ini
  if ! grep -qs '^Image1=' "$ini"; then
    printf '\n[Cards]\nImage1=%s\n' "$PWD/demo/card.img" >>"$ini"
  fi
  exec ./build/src/app/tessaro
fi
./build/src/cli/tessaro-card info demo/card.img
