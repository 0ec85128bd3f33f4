#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while:
# tools/fuzz.sh [SECONDS]   (default 60 seconds per target)
# Corpora grow in build/fuzz/corpus/<target>; a crash leaves its input in
# build/fuzz/artifacts/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

tools/install-deps.sh

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzzers -j 2

build=build/fuzz
mkdir -p "$build/artifacts"
status=0
for fuzzer in $(find "$build/tests" -type f -name 'fuzz_*' -perm -u+x | sort); do
  name=$(basename "$fuzzer")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  log="$build/$name.log"
  echo "== $name for $seconds s (progress in $log)"
  # libFuzzer reports every new input; only the end of its log is worth reading.
  if "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" "$corpus" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
  else
    tail -n 60 "$log"
    status=1
  fi
done
exit $status
