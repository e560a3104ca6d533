#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those missing.
# Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libavfilter-dev libudev-dev libsystemd-dev libgtest-dev libxxhash-dev
  qt6-multimedia-dev qt6-translations-l10n
  ffmpeg
)
# A stand-in udisks2 service on a private D-Bus for the access tests.
packages+=(python3-dbusmock dbus-daemon)
# Checks of the installed tree and of the Debian package (dpkg-dev for
# dpkg-shlibdeps, bash-completion to run the completion).
packages+=(desktop-file-utils appstream man-db lintian file dpkg-dev bash-completion)
# A virtual X server for pictures of the window, and a way to click in it
# (scripts/screenshot.sh).
packages+=(xvfb xdotool)
# A headless Wayland compositor and Qt's wayland platform, for the run of
# the window under Wayland.
packages+=(weston qt6-wayland)
# Fuzz targets need clang with its libFuzzer runtime.
packages+=(clang libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
