#!/usr/bin/env bash
# make demo: starts the board simulator on loopback, runs the bundled line
# test over telnet, the short check over UDP and the serial console, and the
# Python station script over telnet, and stops the simulator again, also when
# interrupted; then the Python station on four simulated boards at once, its
# files left in BUILD_DIR/station-demo. PYTHON names the interpreter (python3
# if unset).
# Usage: run_demo.sh BUILD_DIR
set -euo pipefail

build=${1:?usage: run_demo.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
mpboard=$build/tools/mpboard/mpboard
mpctl=$build/tools/mpctl/mpctl
for program in "$mpboard" "$mpctl"; do
  [ -x "$program" ] || { echo "demo: $program is not built" >&2; exit 2; }
done

# shellcheck source=../mpboard/background.sh
. "$here/../mpboard/background.sh"
work=$(mktemp -d)
stop_board() {
  mpboard_stop
  rm -rf "$work"
}
trap stop_board EXIT
trap 'echo "demo: interrupted" >&2; exit 130' INT TERM

# The UDP endpoint must be on port 9034; a loopback address of its own keeps
# it clear of anything else on this machine using 127.0.0.1:9034.
udp_address=127.$((RANDOM % 200 + 20)).$((RANDOM % 250 + 1)).1
if ! mpboard_start "$mpboard" "$work" --telnet-port 0 --udp-address "$udp_address" --udp-port 9034 \
  --user root --password demo-pass; then
  echo "demo: the board simulator did not start" >&2
  exit 1
fi
ready=$MPBOARD_READY
echo "board simulator: $ready"

telnet=$(mpboard_endpoint telnet)
udp=$(mpboard_endpoint udp)
serial=$(mpboard_endpoint serial)

status=0
echo
echo "== line test over telnet $telnet"
"$mpctl" --telnet "$telnet" --user root --password demo-pass run "$here/line_test.plan" || status=1
echo
echo "== short check over UDP ${udp%:*}"
"$mpctl" --udp "${udp%:*}" run "$here/short_check.plan" || status=1
echo
echo "== short check over the serial console $serial"
"$mpctl" --serial "$serial" run "$here/short_check.plan" || status=1
echo
echo "== Python station script over telnet $telnet"
PYTHONPATH="$here/../../python" MPDLL_LIBRARY="$(cd "$build" && pwd)/src/libmpdll.so" \
  "${PYTHON:-python3}" "$here/../../python/examples/station_check.py" "$telnet" demo-pass || status=1
echo
echo "== Python station on four boards at once (python/examples/station_boards.py)"
PYTHONPATH="$here/../../python" MPDLL_LIBRARY="$(cd "$build" && pwd)/src/libmpdll.so" \
  MPDLL_MPBOARD="$(cd "$build" && pwd)/tools/mpboard/mpboard" \
  "${PYTHON:-python3}" "$here/station_demo.py" "$build/station-demo" || status=1
echo
if [ "$status" -eq 0 ]; then
  echo "demo: every step passed"
else
  echo "demo: some steps failed" >&2
fi
exit "$status"
