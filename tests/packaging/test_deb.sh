#!/usr/bin/env bash
# The three Debian packages: their names, dependencies and contents, then the
# packages unpacked into a temporary root (dpkg -x, no root needed) and the
# tree under ROOT/usr checked as an installed one: examples/board_check built
# through the CMake package and pkg-config and run, and the packaged mpctl,
# against the packaged simulator (tests/install/check_installed_tree.sh).
# Usage: test_deb.sh DEB_DIR SOURCE_DIR
set -euo pipefail
debs=$(realpath "$1")
source_dir=$(realpath "$2")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

status=0
fail() { echo "FAIL $*"; status=1; }
pass() { echo "PASS $*"; }

# package NAME: the one .deb of that package.
package() {
  local found=("$debs/$1"_*.deb)
  [ ${#found[@]} -eq 1 ] && [ -f "${found[0]}" ] && echo "${found[0]}"
}

# Each package: the files it must hold, and the package it must depend on.
declare -A holds=(
  [libmpdll1]="./usr/lib/libmpdll.so.1 ./usr/lib/libmpdll.so.1.0.0"
  [libmpdll-dev]="./usr/include/mpdll/mpdll.h ./usr/lib/libmpdll.so ./usr/lib/cmake/mpdll/mpdllConfig.cmake
                  ./usr/lib/cmake/mpdll/mpdllTargets.cmake ./usr/lib/pkgconfig/mpdll.pc"
  [mpdll-tools]="./usr/bin/mpctl ./usr/bin/mpboard"
)
declare -A needs=([libmpdll1]="libc6" [libmpdll-dev]="libmpdll1 (= 1.0.0)" [mpdll-tools]="libmpdll1 (= 1.0.0)")

for name in libmpdll1 libmpdll-dev mpdll-tools; do
  deb=$(package "$name") || { fail "no single $name package in $debs"; continue; }
  dpkg-deb -c "$deb" | awk '{ print $6 }' >"$root/$name.files"
  for file in ${holds[$name]}; do
    grep -qx "$file" "$root/$name.files" || fail "$name lacks $file"
  done
  # No file in two packages: they must install side by side.
  for other in "$root"/*.files; do
    [ "$other" = "$root/$name.files" ] && continue
    shared=$(comm -12 <(grep -v '/$' "$root/$name.files" | sort) <(grep -v '/$' "$other" | sort))
    [ -z "$shared" ] || fail "$name and $(basename "$other" .files) both hold: $shared"
  done
  depends=$(dpkg-deb -f "$deb" Depends)
  grep -qF "${needs[$name]}" <<<"$depends" || fail "$name depends on '$depends', without ${needs[$name]}"
  dpkg-deb -x "$deb" "$root/tree"
done
[ $status -eq 0 ] && pass "libmpdll1, libmpdll-dev and mpdll-tools hold their files and depend as they must"
[ -d "$root/tree/usr" ] || exit 1

bash "$source_dir/tests/install/check_installed_tree.sh" "$root/tree/usr" "$source_dir" || status=1
exit $status
