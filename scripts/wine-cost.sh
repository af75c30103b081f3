#!/usr/bin/env bash
# What a package module's run costs under Wine next to an empty program's,
# measured side by side in one warm prefix: the rounds alternate the
# programs, and each program's median wall time is compared with the empty
# program's ("ratio") and with the empty program that loads the same
# libraries ("own": the recovery module needs msi.dll for its query, and
# loading it is most of that module's cost).
#   scripts/wine-cost.sh [ROUNDS]     (needs the win64 preset built)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-25}
build=$root/build/win64
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"

work=$(mktemp -d "${TMPDIR:-/tmp}/wine-cost.XXXXXX")
trap '"$root/tests/wine/prefix.sh" cleanup "$work/state" >/dev/null 2>&1; rm -rf "$work"' EXIT
"$root/tests/wine/prefix.sh" setup "$work/state" "$build" >/dev/null
export WINEPREFIX
WINEPREFIX=$(cat "$work/state/prefix")
mkdir "$work/run"
cd "$work/run"

programs=(empty:tests/windows/empty_program.exe
          installer:tests/windows/installer_program.exe
          cleanupscan:inventory/cleanupscan.exe
          coolingscan:inventory/coolingscan.exe
          recoveryscan:inventory/recoveryscan.exe)
for entry in "${programs[@]}"; do
  [ -f "$build/${entry#*:}" ] || { echo "missing $build/${entry#*:}: build the win64 preset" >&2; exit 1; }
done

# One untimed round first, so no program pays for a cold cache.
for round in $(seq 0 "$rounds"); do
  for entry in "${programs[@]}"; do
    name=${entry%%:*}
    start=$(date +%s%N)
    "$wine" "$build/${entry#*:}" -o out.xml >stdout.txt 2>stderr.txt </dev/null || true
    end=$(date +%s%N)
    [ "$round" -gt 0 ] && echo $(((end - start) / 1000)) >>"$work/$name.us"
  done
done

median() { sort -n "$1" | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : int((v[NR/2]+v[NR/2+1])/2)}'; }
empty=$(median "$work/empty.us")
installer=$(median "$work/installer.us")
printf '%-13s %8s %6s %6s\n' program "median" ratio own
for entry in "${programs[@]}"; do
  name=${entry%%:*}
  us=$(median "$work/$name.us")
  yardstick=$empty
  [ "$name" = recoveryscan ] && yardstick=$installer
  awk -v n="$name" -v us="$us" -v e="$empty" -v y="$yardstick" \
    'BEGIN {printf "%-13s %6.1fms %6.2f %6.2f\n", n, us / 1000, us / e, us / y}'
done
