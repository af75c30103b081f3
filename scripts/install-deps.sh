#!/usr/bin/env bash
# Installs what the builds and tests need, from Debian's packages, when it
# is missing.   scripts/install-deps.sh [fuzz]
# "fuzz" adds clang and its runtime, which only the fuzz preset uses.
set -eu
packages=(
  cmake ninja-build g++ libgtest-dev nlohmann-json3-dev libxml2-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  wine64 wixl util-linux
)
[ "${1:-}" != fuzz ] || packages+=(clang libclang-rt-14-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd=sudo
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
