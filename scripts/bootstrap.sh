#!/usr/bin/env bash
# Installs what is missing on a Debian 12 machine (as root or through sudo),
# then configures and builds both presets.
set -eu
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ mingw-w64 wine wine64 xvfb xauth googletest
          imagemagick xdotool libx11-dev clang libclang-rt-14-dev wixl msitools
          libz-mingw-w64-dev zlib1g-dev libxml2-utils unzip zip p7zip-full)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" </dev/null
fi

for preset in native win64; do
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
