#!/usr/bin/env bash
# Builds every preset and runs every test: the native tests on simulated
# machines (plain and under ASan + UBSan), the Wine runs of the 64-bit
# Windows build, and the inspection of the 32-bit deliverables.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh

for preset in win32 win64 native sanitize; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2
done

echo "== tests: native, Wine, deliverables"
(cd build/native && ctest -j2 --output-on-failure)

echo "== tests: native under ASan + UBSan"
# A sanitizer finding exits 86, never mistaken for a program's own code.
export ASAN_OPTIONS=exitcode=86:detect_leaks=1
export UBSAN_OPTIONS=exitcode=86:print_stacktrace=1
(cd build/sanitize && ctest -j2 --output-on-failure)
