#!/usr/bin/env bash
# The program on a whole machine: builds (or takes from its cache) a Debian 12
# guest, boots it under QEMU with two USB card readers and an SD card, and
# runs the checks of scripts/vm/vm_check.py on it with the project's Debian
# package installed by apt. Prints one line starting "reliability: real
# desktop stack". Exit 0 when every check held or when the guest cannot be
# built for want of the package mirror (said on that line), 1 otherwise.
#
#   TESSARO_VM_CUTS=N            power cuts (default 21)
#   TESSARO_VM_LIMIT=SECONDS     stop after this long, counted from here, and say "not finished
#                                in time" on the reliability line (a skip, exit 0); no limit by default
#   TESSARO_VM_ENFORCE_RATIO=1   fail when the read-back ratio is above 1.2
#   TESSARO_VM_SEED=N            the power cuts' moments (default: the time)
#   TESSARO_VM_ONLY=a,c,...      only these checks, while working on the check (ends as failed)
#   TESSARO_VM_ACCEL=kvm         KVM instead of TCG (where /dev/kvm boots a stock kernel)
#   TESSARO_VM_MIRROR=URL        the Debian mirror the guest is built from (default: the one
#                                this machine's apt uses)
#   XDG_CACHE_HOME               the guest is kept in $XDG_CACHE_HOME/tessaro-vm (~/.cache/tessaro-vm)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -n "${TESSARO_VM_LIMIT:-}" ]; then
  export TESSARO_VM_DEADLINE=$(( $(date +%s) + TESSARO_VM_LIMIT ))
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

# QEMU, the guest builder and what the host side uses; only those missing.
packages=(qemu-system-x86 qemu-utils mmdebstrap e2fsprogs ffmpeg dpkg-dev python3)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "vm-check: installing ${missing[*]}"
  if ! { "${sudo_cmd[@]}" apt-get update -qq &&
         DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; }; then
    echo "reliability: real desktop stack: not exercised (skipped: ${missing[*]} cannot be installed from the package mirror)"
    exit 0
  fi
fi

# The programs and their Debian package, built when missing.
if [ ! -x build/src/cli/tessaro-card ]; then
  bash scripts/install-deps.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
  cmake --build build -j"$(nproc)" --target tessaro tessaro-card
fi
if ! ls build/tessaro_*_amd64.deb >/dev/null 2>&1 ||
   [ -n "$(find build/src -name 'tessaro*' -type f -newer "$(ls -t build/tessaro_*_amd64.deb | head -1)" -print -quit)" ]; then
  (cd build && cpack -G DEB >/dev/null)
fi

# Building the guest tree needs root (mmdebstrap --mode=root).
exec "${sudo_cmd[@]}" env XDG_CACHE_HOME="${XDG_CACHE_HOME:-$HOME/.cache}" \
  ${TESSARO_VM_CUTS:+TESSARO_VM_CUTS="$TESSARO_VM_CUTS"} \
  ${TESSARO_VM_ONLY:+TESSARO_VM_ONLY="$TESSARO_VM_ONLY"} \
  ${TESSARO_VM_SEED:+TESSARO_VM_SEED="$TESSARO_VM_SEED"} \
  ${TESSARO_VM_LIMIT:+TESSARO_VM_LIMIT="$TESSARO_VM_LIMIT" TESSARO_VM_DEADLINE="$TESSARO_VM_DEADLINE"} \
  ${TESSARO_VM_ENFORCE_RATIO:+TESSARO_VM_ENFORCE_RATIO="$TESSARO_VM_ENFORCE_RATIO"} \
  ${TESSARO_VM_ACCEL:+TESSARO_VM_ACCEL="$TESSARO_VM_ACCEL"} \
  ${TESSARO_VM_MIRROR:+TESSARO_VM_MIRROR="$TESSARO_VM_MIRROR"} \
  python3 scripts/vm/vm_check.py
