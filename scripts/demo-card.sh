#!/usr/bin/env bash
# Prepares the demo card image demo/card.img for trying the program without
# a card reader: a 64 MB card image holding three 4-second clips (test
# patterns with a tone, made by the ffmpeg tool) named PARIS, BERLIN and
# ROMA, and two playlists: the three clips with a CUT and then an AUTO
# transition, and ROMA and PARIS looping. An image that already holds
# clips is left as it is.
# Usage: scripts/demo-card.sh [BUILD_DIR]   (tessaro-card must be built there)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli="$build/src/cli/tessaro-card"
image=demo/card.img

mkdir -p demo
if [ -f "$image" ] && "$cli" info "$image" --json 2>/dev/null | grep -q '"clips": \[{'; then
  exit 0
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
rm -f "$image"
"$cli" mkimage "$image" 64M >/dev/null
"$cli" --yes format "$image" >/dev/null 2>&1
i=0
for clip in PARIS:testsrc:440 BERLIN:smptebars:660 ROMA:mandelbrot:550; do
  IFS=: read -r name source tone <<<"$clip"
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "$source=size=720x576:rate=25" \
    -f lavfi -i "sine=r=48000:f=$tone" -t 4 -target pal-dv "$tmp/$name.dv"
  "$cli" write "$image" "$tmp/$name.dv" >/dev/null
  i=$((i + 1))
  "$cli" playlist "$image" add 1 "$i" >/dev/null
done
"$cli" playlist "$image" transition 1 2 >/dev/null
"$cli" playlist "$image" add 2 3 >/dev/null
"$cli" playlist "$image" add 2 1 >/dev/null
"$cli" playlist "$image" loop 2 on >/dev/null
echo "$image"
