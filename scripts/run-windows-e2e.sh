#!/usr/bin/env bash
# Runs the Windows end-to-end program under wine64 against the board
# simulator: the 64-bit DLL loaded by name, telnet, UDP and every serial
# operation (a COM port mapped to the simulator's pseudo-terminal, with
# tests/windows/keep_pty_output.c preloaded so that the port keeps its output
# as a real one does), the flash value the serial run set as the board saved
# it, the library's debugger output ("Enter MP DLL", "Leave MP DLL"), and no
# recording written without MPDLL_RECORD.
# Usage: run-windows-e2e.sh NATIVE_BUILD_DIR WIN64_BUILD_DIR
set -euo pipefail
native=$(realpath "$1")
win64=$(realpath "$2")
board="$native/tools/mpboard/mpboard"
exe="$win64/tests/windows/mpdll_e2e.exe"
dll="$win64/src/mpdll.dll"
keep_pty_output="$native/tests/windows/libkeep_pty_output.so"
work="$win64/e2e"
udp_address=127.0.0.61

[ -f "$keep_pty_output" ] || { echo "missing $keep_pty_output (built by the native build)"; exit 1; }
rm -rf "$work" && mkdir -p "$work"
source "$(dirname "$0")/wine_board.sh"
use_wine_prefix "$win64"

cleanup() {
  mpboard_stop
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT INT TERM

start_board simulator "$board" --telnet-port 0 --udp-address "$udp_address" --udp-port 9034 \
  --serial-link "$work/board-console" --flash-file "$work/board-flash" --log "$work/board.log"
telnet=$(mpboard_endpoint telnet)
serial=$(mpboard_endpoint serial)
ln -sfn "$serial" "$WINEPREFIX/dosdevices/com5"

cp "$dll" "$work/"
status=0
started=$(date +%s%N)
(cd "$work" && unset MPDLL_RECORD && LD_PRELOAD="$keep_pty_output" WINEDEBUG=+debugstr timeout 90 wine "$exe" mpdll.dll "$telnet" \
  "$udp_address" COM5) >"$work/e2e.out" 2>"$work/debug.log" || status=$?
cat "$work/e2e.out"
spent_ms=$((($(date +%s%N) - started) / 1000000))
printf 'the wine run took %d.%03d s\n' $((spent_ms / 1000)) $((spent_ms % 1000))

check_debug() {
  if grep -q "$1" "$work/debug.log"; then
    echo "PASS debugger output holds \"$1\""
  else
    echo "FAIL debugger output lacks \"$1\""
    status=1
  fi
}
check_debug "Enter MP DLL"
check_debug "Leave MP DLL"
if grep -qx 'E2E_SERIAL_PARAM=0d0e0f' "$work/board-flash" 2>/dev/null; then
  echo "PASS the board saved the flash value set over the serial port"
else
  echo "FAIL the board's flash file lacks E2E_SERIAL_PARAM=0d0e0f"
  status=1
fi
if [ -z "$(find "$work" -name '*.cast')" ]; then
  echo "PASS without MPDLL_RECORD the DLL wrote no recording"
else
  echo "FAIL without MPDLL_RECORD the DLL wrote a recording: $(find "$work" -name '*.cast')"
  status=1
fi
if [ $status -ne 0 ]; then
  echo "windows end-to-end run failed (status $status); simulator transcript: $work/board.log"
fi
exit $status
