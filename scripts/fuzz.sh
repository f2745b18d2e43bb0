#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 and runs each for a bounded time
# (seconds: first argument, default 60). Fails on any crash or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
shopt -s nullglob
targets=(build-fuzz/bin/*_fuzz)
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no targets built" >&2
  exit 1
fi
for t in "${targets[@]}"; do
  name=$(basename "$t")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/$name"
  dict="fuzz/dicts/$name.dict"
  echo "fuzz: $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -rss_limit_mb=1024 -malloc_limit_mb=512 -print_final_stats=0 \
    $( [ -f "$dict" ] && echo "-dict=$dict" ) "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) \
    >"build-fuzz/$name.log" 2>&1 || { tail -n 60 "build-fuzz/$name.log"; exit 1; }
done
echo "fuzz: all targets ran without a finding"
