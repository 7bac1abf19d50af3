#!/usr/bin/env bash
# The win32 wheel: tagged for 32-bit Windows, it carries the package and the
# 32-bit product DLL next to it (where the package looks first after
# MPDLL_LIBRARY), byte for byte the DLL that was built, with every export
# under its decorated name; and no Linux binary.
# Usage: check_win32_wheel.sh WHEEL BUILT_DLL EXPORT_LIST
set -euo pipefail
wheel=$(realpath "$1")
built_dll=$2
export_list=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
fail() { echo "FAIL $*"; status=1; }

unzip -q "$wheel" -d "$work"
for file in mpdll/mpdll.dll mpdll/__init__.py mpdll/board.py mpdll/library.py mpdll/pytest_plugin.py; do
  [ -f "$work/$file" ] || fail "the win32 wheel lacks $file"
done
for file in mpdll/libmpdll.so mpdll/mpboard; do
  [ ! -e "$work/$file" ] || fail "the win32 wheel carries the Linux $file"
done
tag=$(sed -n 's/^Tag: //p' "$work"/mpdll-*.dist-info/WHEEL)
[ "$tag" = py3-none-win32 ] || fail "the win32 wheel is tagged '$tag'"
if [ -f "$work/mpdll/mpdll.dll" ]; then
  cmp -s "$work/mpdll/mpdll.dll" "$built_dll" || fail "mpdll/mpdll.dll is not the built $built_dll"
  i686-w64-mingw32-objdump -f "$work/mpdll/mpdll.dll" | grep -q 'file format pei-i386' \
    || fail "mpdll/mpdll.dll is not a 32-bit Windows DLL"
  bash "$here/../../scripts/check-exports.sh" "$work/mpdll/mpdll.dll" "$export_list" >"$work/exports.log" \
    || { fail "the wheel's DLL exports:"; sed 's/^/    /' "$work/exports.log"; }
fi
[ $status -eq 0 ] && echo "PASS $(basename "$wheel"): the package and the 32-bit mpdll.dll with its decorated exports"
exit $status
