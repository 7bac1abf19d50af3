#!/usr/bin/env bash
# The platform wheel as a user gets it: its contents, then one offline
# `pip install` into a fresh virtual environment (which sees the system's
# pytest and nothing of this tree), where the package must load the library
# and find the simulator it carries, run the station example and give its
# pytest fixture.
# Usage: test_wheel.sh WHEEL SOURCE_DIR
set -euo pipefail
wheel=$(realpath "$1")
source_dir=$(realpath "$2")
python=${PYTHON:-/usr/bin/python3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
fail() { echo "FAIL $*"; status=1; }
pass() { echo "PASS $*"; }

unzip -Z1 "$wheel" >"$work/contents"
for file in mpdll/libmpdll.so mpdll/mpboard mpdll/__init__.py mpdll/board.py mpdll/library.py \
            mpdll/pytest_plugin.py mpdll/simulator.py mpdll-1.0.0.dist-info/entry_points.txt; do
  grep -qx "$file" "$work/contents" || fail "the wheel lacks $file"
done
unzip -Zl "$wheel" mpdll/mpboard | grep -q '^-rwx' || fail "mpdll/mpboard is not executable in the wheel"
unzip -p "$wheel" mpdll-1.0.0.dist-info/entry_points.txt | grep -qx 'mpdll = mpdll.pytest_plugin' \
  || fail "the wheel does not register the pytest plugin"
[ $status -eq 0 ] && pass "the wheel carries the package, libmpdll.so, mpboard and the pytest plugin"

"$python" -m venv --system-site-packages "$work/venv"
venv_python=$work/venv/bin/python
PIP_ROOT_USER_ACTION=ignore "$venv_python" -m pip install --quiet --no-index "$wheel" \
  || { fail "pip install of the wheel failed"; exit 1; }

# Nothing from the environment or this tree may help the installed package.
clean_env=(env -u MPDLL_LIBRARY -u MPDLL_MPBOARD -u PYTHONPATH -u LD_LIBRARY_PATH)
site=$("$venv_python" -c 'import sysconfig; print(sysconfig.get_paths()["purelib"])')
found=$(cd "$work" && "${clean_env[@]}" "$venv_python" -c '
import mpdll, mpdll.library, mpdll.simulator
print(mpdll.__file__); print(mpdll.library.library()._name); print(mpdll.simulator.find_program())' 2>&1) || true
expected=$(printf '%s\n' "$site/mpdll/__init__.py" "$site/mpdll/libmpdll.so" "$site/mpdll/mpboard")
[ "$found" = "$expected" ] && pass "the installed package loads its own library and simulator" \
  || { fail "the installed package uses:"; sed 's/^/    /' <<<"$found"; }

# The README's station example against a simulator the package's fixture
# starts, with the venv's Python and pytest's plugin from the wheel.
if output=$(cd "$work" && "${clean_env[@]}" "$venv_python" -m pytest -q -p no:cacheprovider \
              "$source_dir/python/tests/test_readme_example.py" 2>&1); then
  pass "station_check.py and the mpboard fixture run from the installed wheel ($(tail -1 <<<"$output"))"
else
  fail "the station example under the installed wheel:"; sed 's/^/    /' <<<"$output"
fi
exit $status
