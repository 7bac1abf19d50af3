#!/usr/bin/env bash
# Checks an installed mpdll tree under PREFIX (from `cmake --install` or
# unpacked Debian packages): what must be there, then examples/board_check
# built against it through the CMake package and through pkg-config with the
# commands README.md shows, and both builds and the installed mpctl run
# against the installed board simulator over telnet.
# Usage: check_installed_tree.sh PREFIX SOURCE_DIR
set -euo pipefail
prefix=$(realpath "$1")
source_dir=$(realpath "$2")
work=$(mktemp -d)
chip_version=C7-INSTALL-CHECK
# shellcheck source=../../tools/mpboard/background.sh
. "$source_dir/tools/mpboard/background.sh"
cleanup() {
  mpboard_stop
  rm -rf "$work"
}
trap cleanup EXIT

status=0
fail() { echo "FAIL $*"; status=1; }
pass() { echo "PASS $*"; }

pc=$(find "$prefix" -name mpdll.pc)
libdir=$(dirname "$(dirname "$pc")")
for f in include/mpdll/mpdll.h bin/mpctl bin/mpboard; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
for f in libmpdll.so libmpdll.so.1 libmpdll.so.1.0.0 cmake/mpdll/mpdllConfig.cmake \
         cmake/mpdll/mpdllConfigVersion.cmake cmake/mpdll/mpdllTargets.cmake; do
  [ -e "$libdir/$f" ] || fail "not installed: $libdir/$f"
done
soname=$(objdump -p "$libdir/libmpdll.so.1.0.0" | awk '$1 == "SONAME" { print $2 }')
[ "$soname" = libmpdll.so.1 ] && pass "SONAME $soname" || fail "SONAME is '$soname', not libmpdll.so.1"

# The consumer built both ways, as in README.md.
cmake -S "$source_dir/examples/board_check" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" >"$work/cmake.log" \
  && cmake --build "$work/cmake-build" >>"$work/cmake.log" \
  || { cat "$work/cmake.log"; fail "board_check does not build through find_package(mpdll)"; }
export PKG_CONFIG_PATH=$libdir/pkgconfig
[ "$(pkg-config --modversion mpdll)" = 1.0.0 ] || fail "pkg-config reports version $(pkg-config --modversion mpdll)"
cc "$source_dir/examples/board_check/board_check.c" $(pkg-config --cflags --libs mpdll) \
  -Wl,-rpath,"$(pkg-config --variable=libdir mpdll)" -o "$work/board_check-pc" \
  || fail "board_check does not build through pkg-config"

# The installed simulator; no UDP or serial console, so nothing else on the
# machine is in its way.
mpboard_start "$prefix/bin/mpboard" "$work" --telnet-port 0 --udp-port -1 --no-serial --user root \
  --password install-pass --chip-version "$chip_version" || { fail "the installed mpboard did not start"; exit 1; }
telnet=$(mpboard_endpoint telnet)

for program in "$work/cmake-build/board_check" "$work/board_check-pc"; do
  how=$([ "$program" = "$work/board_check-pc" ] && echo pkg-config || echo CMake)
  [ -x "$program" ] || continue
  linked=$(ldd "$program" | awk '$1 == "libmpdll.so.1" { print $3 }')
  if [ "$(realpath "$linked")" != "$(realpath "$libdir/libmpdll.so.1.0.0")" ]; then
    fail "board_check ($how) loads '$linked', not the installed library"
  fi
  if output=$("$program" "$telnet" root install-pass 2>&1) \
     && grep -qx "chip version: $chip_version" <<<"$output" && grep -q '^counters: txOk=' <<<"$output"; then
    pass "board_check ($how) ran a session against the simulator"
  else
    fail "board_check ($how) against the simulator said:"; sed 's/^/    /' <<<"$output"
  fi
done

# The installed mpctl finds the installed library by its RPATH.
if output=$("$prefix/bin/mpctl" --telnet "$telnet" --password install-pass chip version 2>&1) \
   && grep -q -- "$chip_version" <<<"$output"; then
  pass "installed mpctl read the chip version"
else
  fail "installed mpctl said:"; sed 's/^/    /' <<<"$output"
fi
exit $status
