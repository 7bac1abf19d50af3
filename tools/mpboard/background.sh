# Shell functions for scripts that run board simulators in the background.
#   mpboard_start PROGRAM WORK_DIR ARGS...  starts PROGRAM ARGS..., waits up to
#       10 s for its "ready" line and sets MPBOARD_PID and MPBOARD_READY; on
#       failure prints the simulator's log to stderr and returns 1. Each
#       simulator running at once needs a WORK_DIR of its own.
#   mpboard_endpoint NAME  prints one endpoint (telnet, udp, serial) of the
#       ready line of the simulator started last.
#   mpboard_stop  stops every simulator started, if any runs.
MPBOARD_PID=
MPBOARD_READY=
MPBOARD_PIDS=()

mpboard_start() {
  local program=$1 work=$2
  shift 2
  "$program" "$@" >"$work/ready" 2>"$work/board.log" &
  MPBOARD_PID=$!
  MPBOARD_PIDS+=("$MPBOARD_PID")
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
  local pid
  for pid in "${MPBOARD_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  MPBOARD_PIDS=()
  MPBOARD_PID=
}
