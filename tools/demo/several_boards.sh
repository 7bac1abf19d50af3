# Sourced by run_demo.sh: three boards at once, one reached by telnet, one by
# its serial console and one over UDP, each a simulator of its own, tested
# with the short check in one `mpctl run` that writes a JUnit report.
# Needs: mpboard, mpctl, here and work set and background.sh sourced.
# shellcheck shell=bash
# shellcheck disable=SC2154 # mpboard, mpctl, here and work come from run_demo.sh

# Starts one simulator in a work folder of its own and prints the endpoint
# named; returns 1 when it does not start.
start_board() {
  local name=$1 endpoint=$2
  shift 2
  mkdir -p "$work/$name"
  mpboard_start "$mpboard" "$work/$name" "$@" || return 1
  mpboard_endpoint "$endpoint"
}

several_boards() {
  local udp_address telnet serial report=$work/three-boards.xml
  udp_address=127.$((RANDOM % 200 + 20)).$((RANDOM % 250 + 1)).2
  # The endpoints are read in this shell: MPBOARD_PIDS must keep every board.
  if ! start_board telnet-board telnet --telnet-port 0 --udp-port -1 --no-serial --password demo-pass \
    >"$work/telnet-endpoint" ||
    ! start_board serial-board serial --telnet-port -1 --udp-port -1 >"$work/serial-endpoint" ||
    ! start_board udp-board udp --telnet-port -1 --udp-address "$udp_address" --udp-port 9034 --no-serial \
      >/dev/null; then
    echo "demo: a board simulator did not start" >&2
    return 1
  fi
  telnet=$(cat "$work/telnet-endpoint")
  serial=$(cat "$work/serial-endpoint")
  "$mpctl" --password demo-pass --junit "$report" run "$here/short_check.plan" \
    --board "telnet:$telnet" --board "serial:$serial" --board "udp:$udp_address" \
    --serial-number SN-T1 --serial-number SN-S2 --serial-number SN-U3 || return 1
  echo "JUnit report: $(grep -c '<testcase' "$report") test cases, $(grep -c '<failure' "$report") failures"
}
