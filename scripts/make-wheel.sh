#!/usr/bin/env bash
# Builds a platform wheel of the Python package that carries the library
# (and the board simulator, where there is one) next to the package, where
# the package looks for them first after MPDLL_LIBRARY and MPDLL_MPBOARD:
# the package sources and pyproject.toml are staged with the binaries, the
# wheel is tagged py3-none-PLATFORM (the Python code is version-independent;
# the binaries are not) and built offline with the Python's own setuptools.
# Usage: make-wheel.sh PLATFORM OUT_DIR FILE...   (FILE: libmpdll.so, mpdll.dll, mpboard)
set -euo pipefail
platform=$1
out=$2
shift 2
python=${PYTHON:-/usr/bin/python3}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

cp "$source_dir/python/pyproject.toml" "$stage/"
mkdir "$stage/mpdll"
cp "$source_dir"/python/mpdll/*.py "$stage/mpdll/"
for file in "$@"; do
  # The shared library under its plain name: ctypes loads it by path.
  cp -L "$file" "$stage/mpdll/$(basename "$file" | sed 's/^libmpdll\.so\..*/libmpdll.so/')"
done
# The native binaries without their debugging sections; the Windows DLL as
# the SDK ships it.
for binary in "$stage"/mpdll/{libmpdll.so,mpboard}; do
  if [ -e "$binary" ]; then strip --strip-unneeded "$binary"; fi
done
printf '[bdist_wheel]\npython_tag = py3\nplat_name = %s\n' "$platform" >"$stage/setup.cfg"

mkdir -p "$out"
rm -f "$out"/mpdll-*-"$platform".whl
PIP_ROOT_USER_ACTION=ignore "$python" -m pip wheel --quiet --no-index --no-build-isolation --no-deps \
  --wheel-dir "$out" "$stage"
ls "$out"/mpdll-*-py3-none-"$platform".whl
