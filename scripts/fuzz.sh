#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds (default 30) on its
# seeds in fuzz/corpus/<target>/. Needs the build of scripts/sanitize.sh.
# New inputs go to a scratch corpus; a failing input lands in build-asan/fuzz-findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
source scripts/sanitizer-env.sh
# The targets write their scratch files anew for every input and the writers
# sync to disk; in memory that costs nothing.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
cmake --build build-asan
findings="$PWD/build-asan/fuzz-findings"
mkdir -p "$findings"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
status=0
for seeds in fuzz/corpus/*/; do
  name="$(basename "$seeds")"
  target="build-asan/fuzz/fuzz_$name"
  mkdir -p "$scratch/$name"
  log="$scratch/$name.log"
  if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/$name-" "$scratch/$name" "$seeds" >"$log" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    echo "fuzz_$name: ${runs:-?} executions in ${seconds} s, no finding"
  else
    status=1
    echo "fuzz_$name: FINDING"
    tail -n 60 "$log"
  fi
done
exit $status
