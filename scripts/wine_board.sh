# shellcheck shell=bash
# Sourced by the Windows end-to-end scripts: the 64-bit build's Wine prefix,
# and board processes (the simulator, or a replayed recording) started in the
# background by tools/mpboard/background.sh, each in a folder of its own.
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

# shellcheck source=../tools/mpboard/background.sh
. "$(dirname "${BASH_SOURCE[0]}")/../tools/mpboard/background.sh"

# start_board NAME MPBOARD ARGS...: mpboard_start with $work/NAME as the
# board's folder; says where the board listens.
start_board() {
  local name=$1 program=$2
  shift 2
  mkdir -p "$work/$name"
  mpboard_start "$program" "$work/$name" "$@" || { echo "$name did not start"; return 1; }
  echo "$name: $MPBOARD_READY"
}
