#!/usr/bin/env bash
# Builds the program and converts the bundled example station file with it,
# showing the console dialogue and the table file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target tsf >/dev/null
# Relative names are looked up in the folder that holds the program.
cp examples/station.txt build/station.txt
echo "--- console (the name is typed at the prompt) ---"
echo station.txt | build/tsf
echo "--- exit status: $? ---"
echo "--- build/station.txt_tsf ---"
cat build/station.txt_tsf
