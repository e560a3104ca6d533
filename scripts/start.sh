#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Without a card
# configured it works on a demo card image in demo/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

mkdir -p demo
if [ ! -f demo/card.img ]; then
  truncate -s 64M demo/card.img
fi
./build/src/cli/tessaro-card info demo/card.img
