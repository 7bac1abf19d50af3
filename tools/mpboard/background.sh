# Shell functions for scripts that run the board simulator in the background.
#   mpboard_start PROGRAM WORK_DIR ARGS...  starts PROGRAM ARGS..., waits up to
#       10 s for its "ready" line and sets MPBOARD_PID and MPBOARD_READY; on
#       failure prints the simulator's log to stderr and returns 1.
#   mpboard_endpoint NAME  prints one endpoint (telnet, udp, serial) of the ready line.
#   mpboard_stop  stops the simulator, if one runs.
MPBOARD_PID=
MPBOARD_READY=

mpboard_start() {
  local program=$1 work=$2
  shift 2
  "$program" "$@" >"$work/ready" 2>"$work/board.log" &
  MPBOARD_PID=$!
  for _ in $(seq 100); do
    MPBOARD_READY=$(grep -m1 '^ready' "$work/ready" || true)
    [ -n "$MPBOARD_READY" ] && return 0
    kill -0 "$MPBOARD_PID" 2>/dev/null || break
    sleep 0.1
  done
  cat "$work/board.log" >&2
  return 1
}

mpboard_endpoint() {
  tr ' ' '\n' <<<"$MPBOARD_READY" | sed -n "s/^$1=//p"
}

mpboard_stop() {
  if [ -n "$MPBOARD_PID" ]; then
    kill "$MPBOARD_PID" 2>/dev/null || true
    wait "$MPBOARD_PID" 2>/dev/null || true
    MPBOARD_PID=
  fi
}
