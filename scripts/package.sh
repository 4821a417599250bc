#!/usr/bin/env bash
# Puts the MSI and the zip that the win64 build made into build/ (`make
# package` builds first).
set -eu
cd "$(dirname "$0")/.."
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win64/CMakeCache.txt)
name=KMXLogCtl-$version-x64
for file in "$name.msi" "$name.zip"; do
  if [ ! -f "build/win64/$file" ]; then
    echo "build/win64/$file is missing: the build makes it when wixl is installed (scripts/bootstrap.sh)" >&2
    exit 1
  fi
  cp "build/win64/$file" build/
done
ls -l "build/$name.msi" "build/$name.zip"
