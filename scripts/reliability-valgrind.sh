#!/usr/bin/env bash
# Runs a shorter soak (CYCLES per transport, 5 failed opens of each kind)
# under valgrind memcheck and writes one line to FIGURES/valgrind.tsv:
#   cycles  errors  definitely-lost  indirectly-lost  possibly-lost  result
# Any memcheck error or definite leak fails.
#
# usage: reliability-valgrind.sh TEST_RELIABILITY CYCLES FIGURES_DIR
set -uo pipefail

binary=$1
cycles=$2
figures=$3
log="$figures/valgrind.log"
MPDLL_SOAK_CYCLES=$cycles MPDLL_SOAK_FAILED_OPENS=5 \
  valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=99 \
  "$binary" --gtest_filter='Transports/Soak*:SoakFailedOpens*' >"$log" 2>&1
status=$?
errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9,]*\) errors.*/\1/p' "$log" | tail -1 | tr -d ,)
lost() { sed -n "s/.*$1 lost: \([0-9,]*\) bytes.*/\1/p" "$log" | tail -1 | tr -d ,; }
definite=$(lost definitely)
indirect=$(lost indirectly)
possible=$(lost possibly)
result=ok
[ "$status" -eq 0 ] || result=FAILED
printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$cycles" "${errors:-?}" "${definite:-0}" "${indirect:-0}" "${possible:-0}" "$result" \
  >"$figures/valgrind.tsv"
grep -E "ERROR SUMMARY|lost:|PASSED|FAILED" "$log" | tail -8
[ "$result" = ok ]
