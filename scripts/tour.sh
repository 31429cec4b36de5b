#!/usr/bin/env bash
# The main job: builds the kxvds client natively (installing what is missing)
# and runs its tour on a fresh emulated default machine.
# usage: scripts/tour.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

install_missing cmake ninja-build g++ libgtest-dev libgmock-dev googletest libbenchmark-dev nlohmann-json3-dev
if [ ! -f build/native/build.ninja ]; then
  cmake --preset native >/dev/null
fi
echo "== building kxvds (first time: a minute or two)"
cmake --build --preset native --target kxvds >/dev/null
exec build/native/bin/kxvds tour
