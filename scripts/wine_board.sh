# shellcheck shell=bash
# Sourced by the Windows end-to-end scripts: the 64-bit build's Wine prefix,
# and board processes (the simulator, or a replayed recording) started in the
# background and waited for until they say where they listen.
# Needs: $work (the run's folder) set by the caller.
# shellcheck disable=SC2154

# Uses (and on first use creates) the Wine prefix of the 64-bit build.
use_wine_prefix() {
  export WINEPREFIX="$1/wineprefix"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  if [ ! -d "$WINEPREFIX/dosdevices" ]; then
    echo "creating the Wine prefix (first use)"
    WINEDEBUG=-all wineboot -i >"$work/wineboot.log" 2>&1 || true
    wineserver -w || true
  fi
}

board_pids=()
board_ready=

# start_board NAME MPBOARD ARGS...: runs the board with its output in
# $work/NAME.out and waits up to 10 s for its "ready" line (kept in
# $board_ready); fails, showing the output, if it does not come.
start_board() {
  local name=$1
  shift
  "$@" >"$work/$name.out" 2>&1 &
  board_pids+=($!)
  for _ in $(seq 1 100); do
    grep -q '^ready' "$work/$name.out" 2>/dev/null && break
    sleep 0.1
  done
  board_ready=$(grep '^ready' "$work/$name.out") || {
    echo "$name did not start:"
    cat "$work/$name.out"
    return 1
  }
  echo "$name: $board_ready"
}

# ready_field KEY: the value of KEY=VALUE in the last board's ready line.
ready_field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$board_ready"; }

# Stops every board started so far and waits for each to end.
stop_boards() {
  local pid
  for pid in "${board_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  board_pids=()
}
