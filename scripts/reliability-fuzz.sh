#!/usr/bin/env bash
# Runs every libFuzzer harness of a fuzz build for a bounded time, two at a
# time, and writes one line per harness to FIGURES/fuzz-LABEL.tsv:
#   harness  runs  corpus-files  seconds  result
# The working corpus of each harness lives in BUILD/corpus/<harness> and
# grows from run to run; it starts from the committed seeds in
# fuzz/corpus/<harness>. A crash, leak, time-out (a call held for 3 s) or
# broken property leaves its reproducer in BUILD/artifacts/ and fails the run.
#
# usage: reliability-fuzz.sh BUILD_DIR SECONDS_EACH LABEL FIGURES_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
seconds=$2
label=$3
mkdir -p "$4"
figures=$(cd "$4" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)

mkdir -p "$build/corpus" "$build/artifacts" "$build/fuzz-logs"
harnesses=()
for binary in "$build"/fuzz/fuzz_*; do
  [ -x "$binary" ] || continue
  harnesses+=("$(basename "$binary")")
done
if [ ${#harnesses[@]} -eq 0 ]; then
  echo "no harnesses under $build/fuzz" >&2
  exit 1
fi

run_one() {
  local harness=$1 name=${1#fuzz_}
  local work="$build/corpus/$name" log="$build/fuzz-logs/$name-$label.log"
  mkdir -p "$work"
  local status=0
  "$build/fuzz/$harness" "$work" "$root/fuzz/corpus/$name" \
    -max_total_time="$seconds" -timeout=3 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$name-" >"$log" 2>&1 || status=$?
  local runs corpus result=ok
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  corpus=$(find "$work" -type f | wc -l)
  [ "$status" -eq 0 ] || result="FAILED (exit $status, see $log)"
  printf '%s\t%s\t%s\t%s\t%s\n' "$name" "${runs:-0}" "$corpus" "$seconds" "$result"
}
export -f run_one
export build seconds label root

printf '%s\n' "${harnesses[@]}" | xargs -P 2 -I{} bash -c 'run_one {}' | sort >"$figures/fuzz-$label.tsv"
column -t -s $'\t' "$figures/fuzz-$label.tsv"
! grep -q FAILED "$figures/fuzz-$label.tsv"
