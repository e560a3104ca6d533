#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite twice: a
# normal build and an AddressSanitizer + UndefinedBehaviorSanitizer build;
# checks the installed tree and the Debian package of the normal build
# (scripts/install-check.sh); then the fuzz targets for a short fixed number
# of runs (scripts/fuzz.sh).
# Prints the reliability figures (power cuts, fault matrix, a real block
# device, fuzzing). Fails when any test or fuzz target fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Normal build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --no-tests=error --output-on-failure -j "$jobs"
echo "== Reliability figures (power cuts, fault matrix, real block device)"
grep -h '^reliability: ' build/Testing/Temporary/LastTest.log || true
echo "== Installed tree and Debian package"
bash scripts/install-check.sh build

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTESSARO_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --no-tests=error --output-on-failure -j "$jobs"

bash scripts/fuzz.sh
