#!/usr/bin/env bash
# Runs one fuzz target for a bounded time and leaves a line for the test
# summary in WORK/result.txt. New inputs go to WORK/corpus, anything that
# fails to WORK/findings; keep a finding in the seeds once it is mended.
# usage: run-fuzzer.sh NAME FUZZER SECONDS WORK DICTIONARY SEEDS...
set -uo pipefail
name=$1 fuzzer=$2 seconds=$3 work=$4 dictionary=$5
shift 5
mkdir -p "$work/corpus" "$work/findings"
rm -f "$work/result.txt"
log=$work/last-run.log
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -dict="$dictionary" \
  -artifact_prefix="$work/findings/" "$work/corpus" "$@" >"$log" 2>&1
status=$?
done_line=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | tail -1)
runs=$(echo "$done_line" | awk '{print $2}')
secs=$(echo "$done_line" | awk '{print $5}')
corpus=$(find "$work/corpus" -type f | wc -l)
if [ "$status" -eq 0 ] && [ -n "$done_line" ]; then
  echo "fuzz $name: $runs runs in $secs s, corpus $corpus inputs, no findings" | tee "$work/result.txt"
  exit 0
fi
finding=$(grep -o "Test unit written to .*" "$log" | tail -1)
echo "fuzz $name: FAILED (exit $status) ${finding:-without a saved input}" | tee "$work/result.txt"
tail -n 60 "$log"
exit 1
