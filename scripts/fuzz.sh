#!/usr/bin/env bash
# Runs the fuzz targets (preset `fuzz`: clang, libFuzzer, ASan + UBSan), one
# after the other on one core, each from its checked-in seed corpus.
#   scripts/fuzz.sh [-t SECONDS] [-r RUNS] [TARGET...]
# Each target runs until it has run RUNS inputs or SECONDS have passed,
# whichever comes first; default: 60 seconds per target, every target. Inputs that fail an oracle or
# a sanitizer land in build/fuzz/findings/TARGET/; add them to the target's
# corpus (tests/fuzz/corpus/TARGET/) once fixed, so CI replays them.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
limit=()
while getopts "t:r:" option; do
  case $option in
    t) limit+=(-max_total_time="$OPTARG") ;;
    r) limit+=(-runs="$OPTARG") ;;
    *) echo "usage: scripts/fuzz.sh [-t SECONDS] [-r RUNS] [TARGET...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ ${#limit[@]} -gt 0 ] || limit=(-max_total_time=60)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=($(ls tests/fuzz/corpus))

scripts/install-deps.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

printf '%-18s %10s %8s %6s %6s %8s %s\n' target executions seconds cov ft corpus findings
status=0
for target in "${targets[@]}"; do
  work=$(mktemp -d "${TMPDIR:-/tmp}/fuzz-$target.XXXXXX")
  findings=build/fuzz/findings/$target
  mkdir -p "$findings"
  start=$(date +%s)
  # New inputs go to the scratch corpus; the checked-in seeds stay as they are.
  build/fuzz/tests/fuzz/${target}_fuzz "${limit[@]}" -print_final_stats=1 -artifact_prefix="$findings/" \
    "$work" "tests/fuzz/corpus/$target" >"$work.log" 2>&1 || status=1
  seconds=$(($(date +%s) - start))
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work.log")
  read -r cov ft < <(grep -E '^#[0-9]+' "$work.log" | tail -1 | sed -E 's/.*cov: ([0-9]+) ft: ([0-9]+).*/\1 \2/')
  printf '%-18s %10s %8s %6s %6s %8s %s\n' "$target" "${executions:-?}" "$seconds" "${cov:-?}" "${ft:-?}" \
    "$(ls "$work" | wc -l)" "$(ls "$findings" | wc -l)"
  grep -E 'oracle failed|ERROR: |SUMMARY' "$work.log" | head -5 || true
  rm -rf "$work" "$work.log"
done
exit $status
