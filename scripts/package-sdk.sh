#!/usr/bin/env bash
# Builds the 32-bit and 64-bit Windows trees and packs both into the SDK
# archive build/sdk/KXVdsDisks-<version>-windows.zip through CPack, then
# checks it (tests/package/CheckSdkArchive.cmake: listing, exports, imports,
# versions, architectures).
# usage: scripts/package-sdk.sh
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in windows windows-x64; do
  echo "== $preset: configure and build"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
done

echo "== pack"
rm -rf build/sdk
# Either tree's CPack configuration gathers both trees.
cpack --config build/windows/CPackConfig.cmake -B build/sdk
rm -rf build/sdk/_CPack_Packages
ls build/sdk/KXVdsDisks-*-windows.zip

echo "== check"
cmake -P tests/package/CheckSdkArchive.cmake
