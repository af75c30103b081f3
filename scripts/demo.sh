#!/usr/bin/env bash
# Builds the suite for the built-in simulated machine and runs its modules
# there, showing what each one reported.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native -j2 >/dev/null

out="$root/build/demo"
rm -rf "$out"
mkdir -p "$out"
cd "$out"
unset INVSIM_MACHINE

echo "== cleanupscan -o cleanupscan.xml (built-in machine)"
rc=0; "$root/build/native/inventory/cleanupscan" -o cleanupscan.xml || rc=$?
echo "exit code $rc; document $out/cleanupscan.xml (UTF-16LE):"
iconv -f UTF-16LE -t UTF-8 cleanupscan.xml
echo

echo "== coolingscan -o coolingscan.xml (built-in machine)"
rc=0; "$root/build/native/inventory/coolingscan" -o coolingscan.xml || rc=$?
echo "exit code $rc; document $out/coolingscan.xml (UTF-16LE):"
iconv -f UTF-16LE -t UTF-8 coolingscan.xml
echo

echo "== recoveryscan -o recoveryscan.xml -l recoveryscan.log (built-in machine)"
rc=0; "$root/build/native/inventory/recoveryscan" -o recoveryscan.xml -l recoveryscan.log || rc=$?
echo "exit code $rc; document $out/recoveryscan.xml:"
cat recoveryscan.xml
echo
echo "log $out/recoveryscan.log:"
cat recoveryscan.log
echo

# drivetag writes its log under the machine's C:\ ; keep it beside the documents.
export INVSIM_DRIVE_C="$out/c-drive"
log="$INVSIM_DRIVE_C/ProgramData/Orvo/Tallyhub/Log/THHOSTMetadata.txt"
echo "== drivetag (built-in machine: one NVMe drive behind an RST controller)"
rc=0; "$root/build/native/drivetag/drivetag" || rc=$?
echo
echo "exit code $rc; log $log:"
cat "$log"
echo

echo "== tconprobe -o tconprobe.xml -p tconprobe_debug.txt (built-in machine: Intel GPU, panel on eDP)"
rc=0; "$root/build/native/tconprobe/tconprobe" -o tconprobe.xml -p tconprobe_debug.txt || rc=$?
version=$(sed -n 's/.*<Application.* version="\([^"]*\)".*/\1/p' tconprobe.xml)
echo "exit code $rc; panel firmware version reported: ${version:-none}; document $out/tconprobe.xml:"
cat tconprobe.xml
echo "debug log $out/tconprobe_debug.txt:"
cat tconprobe_debug.txt
echo

echo "== tconprobe -T (built-in machine: detection of GPU, link and TCON)"
rm -f detect_log.txt
rc=0; "$root/build/native/tconprobe/tconprobe" -T || rc=$?
echo "exit code $rc; detect log $out/detect_log.txt:"
cat detect_log.txt
