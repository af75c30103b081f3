#!/usr/bin/env bash
# Builds every preset and runs every test: the native tests on simulated
# machines (plain and under ASan + UBSan), the Wine runs of the 64-bit
# Windows build, and the inspection of the 32-bit deliverables. One CMake
# workflow ("all", in CMakePresets.json) does it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
cmake --workflow --preset all
