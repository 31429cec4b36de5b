#!/usr/bin/env bash
# The main job: builds the library and the kxvds client natively, in a build
# folder of their own (preset "tour": no tests, no benchmarks), installing only
# what that needs, and runs the tour on a fresh emulated default machine.
# scripts/test-all.sh builds and tests everything.
# usage: scripts/tour.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

install_missing cmake ninja-build g++ nlohmann-json3-dev
if [ ! -f build/tour/build.ninja ]; then
  cmake --preset tour >/dev/null
fi
echo "== building kxvds (first time: about a minute)"
cmake --build --preset tour --target kxvds >/dev/null
exec build/tour/bin/kxvds tour
