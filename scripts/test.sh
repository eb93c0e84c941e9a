#!/usr/bin/env bash
# Builds and runs the whole test suite under the default and the sanitizer
# presets, fuzzes each target briefly, checks formatting and clang-tidy, and
# builds and checks the Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

for preset in default asan; do
  echo "=== tests, preset $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done

echo "=== fuzzing, about a minute in all ==="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scripts/fuzz.sh 20

echo "=== clang-format ==="
git ls-files '*.cc' '*.h' | xargs clang-format --dry-run --Werror

echo "=== clang-tidy ==="
git ls-files 'records/*.cc' 'conversion/*.cc' | grep -v '_test\.cc$' |
  xargs clang-tidy --quiet -p build

echo "=== Debian package ==="
(cd build && cpack >/dev/null)
package=$(ls build/tsf_*.deb)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$package" "$unpacked"
test -x "$unpacked/usr/bin/tsf"
man -l "$unpacked/usr/share/man/man1/tsf.1" >/dev/null
cp examples/station.txt "$unpacked/usr/bin/"
echo station.txt | "$unpacked/usr/bin/tsf" >/dev/null
test -s "$unpacked/usr/bin/station.txt_tsf"
echo "package $package: program and manual page install and run"
# On a CI machine (fresh, ours to change) the package is also installed for
# real, found by man, and removed again.
if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ]; then
  dpkg -i "$package" >/dev/null
  man -w tsf
  dpkg -r tsf >/dev/null
  echo "package installed with dpkg and removed again"
fi
