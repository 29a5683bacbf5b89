#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: fuzz/run.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DDOZADIR_FUZZ=ON \
  -DDOZADIR_TESTS=OFF -DDOZADIR_BENCH=OFF -DDOZADIR_WITH_QT=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" --target all
status=0
for target in "$build_dir"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$build_dir/corpus/$name"
  mkdir -p "$corpus"
  echo "== $name (${seconds}s)"
  if ! "$target" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 "$corpus" 2>"$build_dir/$name.log"; then
    echo "$name found a failure; see $build_dir/$name.log" >&2
    status=1
  fi
  tail -n 3 "$build_dir/$name.log"
done
exit $status
