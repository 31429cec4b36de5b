#!/usr/bin/env bash
# The project's test command: installs what is missing, then configures,
# builds and tests every build this machine can run.
# usage: scripts/test-all.sh [PRESET...]
#   default: native native-asan fuzz windows-x64, and windows (32-bit) where
#   the kernel runs 32-bit code. fuzz runs each libFuzzer target for a bounded
#   time (tests/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/packages.sh
install_missing "${packages[@]}"

# wine64 runs on any x86-64 kernel. The 32-bit loader needs a kernel that
# runs 32-bit code (ia32 emulation on), which many machines switch off.
runs_32bit_wine() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

presets=("$@")
if [ ${#presets[@]} -eq 0 ]; then
  presets=(native native-asan fuzz windows-x64)
  if runs_32bit_wine; then
    presets+=(windows)
  else
    echo "== NOTE: this kernel runs no 32-bit code, so 32-bit Wine cannot start: the"
    echo "   32-bit Windows build (preset windows) is not run here. The 64-bit build"
    echo "   runs the same tests under wine64."
  fi
fi

# Totals of one preset's run: ctest entries from its JUnit file, and for the
# Windows presets (one ctest entry per program) the test cases that the
# programs' own XML reports count.
count_attribute() { grep -o "$1=\"[0-9]*\"" "$2" | head -1 | grep -o '[0-9]*' || echo 0; }
report() {
  local preset=$1 junit=build/$1/ctest-junit.xml
  [ -f "$junit" ] || { echo "$preset: no test report"; return; }
  local tests failures skipped
  tests=$(count_attribute tests "$junit")
  failures=$(count_attribute failures "$junit")
  skipped=$(count_attribute skipped "$junit")
  local line="$preset: $tests ctest entries ran, $((tests - failures - skipped)) passed, $failures failed, $skipped skipped"
  local cases=0 case_failures=0 case_skips=0 xml
  for xml in build/"$preset"/gtest-results/*.xml; do
    [ -f "$xml" ] || continue
    cases=$((cases + $(count_attribute tests "$xml")))
    case_failures=$((case_failures + $(count_attribute failures "$xml")))
    case_skips=$((case_skips + $(grep -c '<skipped' "$xml" || true)))
  done
  if [ "$cases" -gt 0 ]; then
    line+="; inside them $cases test cases, $((cases - case_failures - case_skips)) passed,"
    line+=" $case_failures failed, $case_skips skipped"
  fi
  echo "$line"
  local result
  for result in build/"$preset"/fuzz-work/*/result.txt; do
    [ -f "$result" ] && echo "  $(cat "$result")"
  done
  return 0
}

failed=()
for preset in "${presets[@]}"; do
  start=$SECONDS
  echo "== $preset: configure"
  if ! cmake --preset "$preset"; then failed+=("$preset (configure)"); continue; fi
  echo "== $preset: build"
  if ! cmake --build --preset "$preset"; then failed+=("$preset (build)"); continue; fi
  echo "== $preset: test"
  rm -rf "build/$preset/gtest-results"
  selection=()
  if [ "$preset" = windows ] && ! runs_32bit_wine; then
    echo "== NOTE: 32-bit Wine cannot start here: only the windows tests that need no Wine run"
    selection=(-LE wine)
  fi
  if ! ctest --preset "$preset" "${selection[@]}" --output-junit ctest-junit.xml; then
    failed+=("$preset (tests)")
  fi
  echo "== $preset: $((SECONDS - start)) s"
done

echo "== summary"
for preset in "${presets[@]}"; do report "$preset"; done
if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all presets passed: ${presets[*]}"
