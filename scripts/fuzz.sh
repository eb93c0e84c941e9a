#!/usr/bin/env bash
# Runs each libFuzzer target for SECONDS (default 20) from the checked-in
# corpus; new inputs go to a scratch folder, crashes to fuzz/crashes/.
#   cmake --preset fuzz && cmake --build --preset fuzz && scripts/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p fuzz/crashes
for target in numeric records run; do
  mkdir -p "$scratch/$target"
  echo "fuzz_$target for ${seconds}s"
  build-fuzz/fuzz_$target -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=4096 \
    -artifact_prefix=fuzz/crashes/ -print_final_stats=0 \
    "$scratch/$target" "fuzz/corpus/$target" 2>&1 | grep -E 'DONE|ERROR|SUMMARY|crash' || true
  # libFuzzer exits non-zero on a finding; PIPESTATUS keeps it.
  status=${PIPESTATUS[0]}
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$target found a failure (exit $status); see fuzz/crashes/"
    exit 1
  fi
done
