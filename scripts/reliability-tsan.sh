#!/usr/bin/env bash
# Runs the concurrency test built with ThreadSanitizer and writes one line to
# FIGURES/tsan.tsv: test, result, races reported, seconds. Any race fails.
#
# usage: reliability-tsan.sh TEST_BINARY FIGURES_DIR
set -uo pipefail

binary=$1
figures=$2
log="$figures/tsan.log"
start=$(date +%s%N)
TSAN_OPTIONS="halt_on_error=0 second_deadlock_stack=1 history_size=4" "$binary" >"$log" 2>&1
status=$?
milliseconds=$(( ($(date +%s%N) - start) / 1000000 ))
races=$(grep -c "WARNING: ThreadSanitizer" "$log")
result=ok
{ [ "$status" -eq 0 ] && [ "$races" -eq 0 ]; } || result=FAILED
printf 'concurrent records (4 threads: 2 telnet, UDP, serial)\t%s\t%s\t%d.%03d\n' "$result" "$races" \
  $((milliseconds / 1000)) $((milliseconds % 1000)) >"$figures/tsan.tsv"
tail -3 "$log"
echo "ThreadSanitizer: $races race report(s), test exit $status"
[ "$result" = ok ] || { grep -A30 "WARNING: ThreadSanitizer" "$log" | head -80; exit 1; }
