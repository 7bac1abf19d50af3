#!/usr/bin/env bash
# Record and replay from the Windows side: the Windows end-to-end program's
# plan part (open, test mode, TX and RX tests, flash and register reads, chip
# facts, a raw line) runs under wine64 against the board simulator over
# telnet and over a COM port mapped to its console, with MPDLL_RECORD set to
# a Windows path, so the DLL writes one recording per opened record. Each
# recording is then served by `mpboard --replay` (no delays), and the same
# plan runs against the replays: every call's status and values must be the
# same, and the replay run's own recordings must hold the same calls and the
# same bytes each way (tests/windows/same_session.py).
# Usage: run-windows-record-replay.sh NATIVE_BUILD_DIR WIN64_BUILD_DIR
set -euo pipefail
here=$(dirname "$(realpath "$0")")
native=$(realpath "$1")
win64=$(realpath "$2")
board="$native/tools/mpboard/mpboard"
exe="$win64/tests/windows/mpdll_e2e.exe"
dll="$win64/src/mpdll.dll"
keep_pty_output="$native/tests/windows/libkeep_pty_output.so"
work="$win64/e2e-replay"

[ -f "$keep_pty_output" ] || { echo "missing $keep_pty_output (built by the native build)"; exit 1; }
rm -rf "$work" && mkdir -p "$work/recorded" "$work/replayed"
source "$here/wine_board.sh"
use_wine_prefix "$win64"

cleanup() {
  mpboard_stop
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT INT TERM

cp "$dll" "$work/"
status=0

# run_plan NAME TELNET_HOST:PORT RECORDING_FOLDER: the plan under wine on
# telnet and COM6, the DLL recording into the folder (given as Windows sees
# it); its output in $work/NAME.out.
run_plan() {
  local name=$1 telnet=$2 folder
  folder=$(WINEDEBUG=-all winepath -w "$3" 2>>"$work/wine.log")
  echo "MPDLL_RECORD=$folder"
  local started run_status=0
  started=$(date +%s%N)
  (cd "$work" && MPDLL_RECORD="$folder" LD_PRELOAD="$keep_pty_output" WINEDEBUG=-all timeout 90 \
    wine "$exe" mpdll.dll --plan "$telnet" COM6) >"$work/$name.out" 2>"$work/$name.err" || run_status=$?
  tr -d '\r' <"$work/$name.out" | grep -av '^PLAN ' || true
  local spent_ms=$((($(date +%s%N) - started) / 1000000))
  printf 'the %s wine run took %d.%03d s (status %d)\n' "$name" $((spent_ms / 1000)) $((spent_ms % 1000)) $run_status
  if [ $run_status -ne 0 ]; then
    status=1
    echo "FAIL the $name run: see $work/$name.out and $work/$name.err"
  fi
}

# recording_of FOLDER MODE: the one recording of that mode in the folder.
recording_of() {
  local found
  found=$(grep -l "\"mode\": \"$2\"" "$1"/*.cast 2>/dev/null || true)
  if [ "$(wc -w <<<"$found")" -ne 1 ]; then
    echo "FAIL $1 holds $(wc -w <<<"$found") $2 recordings, not one" >&2
    return 1
  fi
  echo "$found"
}

start_board simulator "$board" --telnet-port 0 --udp-port -1 --serial-link "$work/board-console" \
  --log "$work/board.log"
ln -sfn "$(mpboard_endpoint serial)" "$WINEPREFIX/dosdevices/com6"
run_plan recorded "$(mpboard_endpoint telnet)" "$work/recorded"
mpboard_stop

telnet_cast=$(recording_of "$work/recorded" telnet) || exit 1
serial_cast=$(recording_of "$work/recorded" serial) || exit 1
echo "PASS MPDLL_RECORD under wine wrote $(basename "$telnet_cast") (telnet) and $(basename "$serial_cast") (serial)"

start_board telnet-replay "$board" --replay "$telnet_cast" --replay-speed 0 --telnet-port 0 --udp-port -1 --no-serial \
  --log "$work/telnet-replay.log"
replay_telnet=$(mpboard_endpoint telnet)
start_board serial-replay "$board" --replay "$serial_cast" --replay-speed 0 --telnet-port -1 --udp-port -1 \
  --serial-link "$work/replay-console" --log "$work/serial-replay.log"
ln -sfn "$(mpboard_endpoint serial)" "$WINEPREFIX/dosdevices/com6"
run_plan replayed "$replay_telnet" "$work/replayed"
mpboard_stop

if [ "$(grep -ac '^PLAN [a-z]* CloseDev: 0' "$work/recorded.out")" -ne 2 ]; then
  echo "FAIL the recorded run did not get through the plan on telnet and serial"
  status=1
elif diff <(tr -d '\r' <"$work/recorded.out" | grep -a '^PLAN ') <(tr -d '\r' <"$work/replayed.out" | grep -a '^PLAN ') \
  >"$work/plan.diff"; then
  echo "PASS the replays gave every call the same status and values ($(grep -ac '^PLAN ' "$work/recorded.out") calls)"
else
  echo "FAIL the replays answered differently (recorded <, replayed >):"
  cat "$work/plan.diff"
  status=1
fi
for mode in telnet serial; do
  recorded=$(recording_of "$work/recorded" $mode) && replayed=$(recording_of "$work/replayed" $mode) &&
    python3 "$here/../tests/windows/same_session.py" "$recorded" "$replayed" || status=1
done
if [ $status -ne 0 ]; then
  echo "windows record-and-replay run failed; recordings and outputs: $work"
fi
exit $status
