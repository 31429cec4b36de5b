#!/usr/bin/env bash
# Builds (when needed) and runs the example client that connects to a disk.
# usage: scripts/run-example.sh [--windows] [disk-number]
#   --windows  runs the 64-bit Windows build under wine64 instead of the native one
set -euo pipefail
cd "$(dirname "$0")/.."

preset=native
if [ "${1:-}" = --windows ]; then
  preset=windows-x64
  shift
fi

if [ ! -f "build/$preset/build.ninja" ]; then
  cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset" --target example_connect >/dev/null

if [ "$preset" = windows-x64 ]; then
  exec cmake/kxvds-wine.sh win64 "$PWD/build/$preset/wineprefix" "build/$preset/bin/kxvds-connect.exe" "$@"
fi
exec build/native/examples/connect/kxvds-connect "$@"
