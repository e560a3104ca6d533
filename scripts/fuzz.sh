#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in their own build folder, writes their seed
# corpora with fuzz_seeds, and runs each target. Prints one line per target
# (runs, seconds, coverage, corpus) and fails when a target finds a crash,
# a leak or a broken check; the input that did it is left in the run folder.
#
#   bash scripts/fuzz.sh              # fixed, short runs (the test command)
#   bash scripts/fuzz.sh --time 600   # each target for 600 seconds instead
#
# FUZZ_BUILD_DIR (default build-fuzz) names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=0
if [ "${1:-}" = "--time" ]; then
  seconds=${2:?"--time needs a number of seconds"}
elif [ $# -gt 0 ]; then
  echo "usage: scripts/fuzz.sh [--time SECONDS]" >&2
  exit 2
fi

build=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=$(nproc)

# target, runs in the short mode, longest input
targets=(
  "fuzz_fat_table   50000 5124"
  "fuzz_clip_file    3000 320000"
  "fuzz_first_frame  3000 144000"
)

# clang must be able to link libFuzzer (Debian: clang and libclang-rt-14-dev).
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
  'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>"$probe/err"; then
  cat "$probe/err" >&2
  echo "clang++ cannot link -fsanitize=fuzzer: install clang and libclang-rt-14-dev (scripts/install-deps.sh)" >&2
  exit 1
fi

echo "== Fuzz targets (clang, libFuzzer, ASan + UBSan) in $build"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSARO_FUZZ=ON \
  -DTESSARO_BUILD_TESTS=OFF -DTESSARO_BUILD_APP=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_seeds fuzz_fat_table fuzz_clip_file fuzz_first_frame

seeds="$build/fuzz-seeds"
rm -rf "$seeds"
"$build/tests/fuzz/fuzz_seeds" "$seeds"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
summary=()
for entry in "${targets[@]}"; do
  read -r target runs maxlen <<<"$entry"
  name=${target#fuzz_}
  work="$build/fuzz-run/$name"
  rm -rf "$work"
  mkdir -p "$work/corpus"
  if [ "$seconds" -gt 0 ]; then
    limit=(-max_total_time="$seconds")
  else
    limit=(-runs="$runs" -seed=1)
  fi
  log="$work/log.txt"
  # New inputs go to the run's own corpus; the seeds stay as generated.
  if ! (cd "$work" && "../../tests/fuzz/$target" "${limit[@]}" -max_len="$maxlen" -timeout=30 \
          -rss_limit_mb=4096 -print_final_stats=1 corpus "../../fuzz-seeds/$name") >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "$target FAILED: see $log and the crash-*/leak-*/timeout-* input in $work" >&2
    exit 1
  fi
  done_line=$(grep -E '^Done [0-9]+ runs' "$log" | tail -n 1)
  final=$(grep -E '#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)
  done_runs=$(sed -E 's/^Done ([0-9]+) runs in ([0-9]+) second.*/\1/' <<<"$done_line")
  done_secs=$(sed -E 's/^Done ([0-9]+) runs in ([0-9]+) second.*/\2/' <<<"$done_line")
  cov=$(sed -nE 's/.* cov: ([0-9]+) .*/\1/p' <<<"$final")
  corp=$(sed -nE 's/.* corp: ([0-9]+)\/.*/\1/p' <<<"$final")
  line="$target: $done_runs runs in ${done_secs}s, no crash, leak or failed check; coverage $cov edges, corpus $corp inputs"
  echo "$line"
  summary+=("$line")
done

echo "== Fuzz summary"
printf '%s\n' "${summary[@]}"
