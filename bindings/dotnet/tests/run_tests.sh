#!/usr/bin/env bash
# The .NET binding's tests under mono: Mpdll.cs and the NUnit tests compiled
# with mcs, run by nunit-console against the native libmpdll.so and the board
# simulator; then the example StationCheck.cs, built from Mpdll.cs alone, runs
# a station check against the simulator.
# Usage: run_tests.sh NATIVE_BUILD SOURCE_DIR WORK_DIR
set -euo pipefail
build=$(realpath "$1")
source_dir=$(realpath "$2")
work=$3
binding=$source_dir/bindings/dotnet
mkdir -p "$work"
work=$(realpath "$work")

cc -std=c11 -Wall -Werror -I "$source_dir/include" "$source_dir/python/tests/dev_context_offsets.c" \
  -o "$work/dev_context_offsets"
mcs -nologo -warnaserror -unsafe -target:library -out:"$work/Mpdll.dll" "$binding/Mpdll.cs"
mcs -nologo -warnaserror -unsafe -target:library -pkg:nunit -r:"$work/Mpdll.dll" -out:"$work/MpdllTests.dll" \
  "$binding"/tests/*.cs
mcs -nologo -warnaserror -unsafe -out:"$work/StationCheck.exe" "$binding/examples/StationCheck.cs" "$binding/Mpdll.cs"

export LD_LIBRARY_PATH=$build/src${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
export MPDLL_MPBOARD=$build/tools/mpboard/mpboard
export MPDLL_OFFSETS_PROGRAM=$work/dev_context_offsets
export MPDLL_SOURCE_DIR=$source_dir
status=0
(cd "$work" && nunit-console -nologo -noshadow -xml="$work/TestResult.xml" "$work/MpdllTests.dll") || status=1

# shellcheck source=../../../tools/mpboard/background.sh
. "$source_dir/tools/mpboard/background.sh"
trap mpboard_stop EXIT
mpboard_start "$MPDLL_MPBOARD" "$work" --telnet-port 0 --udp-port -1 --no-serial --password station-pass \
  || { echo "FAIL the simulator did not start"; exit 1; }
if output=$(mono "$work/StationCheck.exe" "$(mpboard_endpoint telnet)" station-pass 2>&1) \
   && grep -qx 'TSSI: 55 transmitted: [1-9][0-9]*' <<<"$output" && grep -q '^XCAP: 32 register 0/36: 0x' <<<"$output"; then
  echo "PASS StationCheck.cs ran a station check against the simulator"
else
  echo "FAIL StationCheck.cs said:"; sed 's/^/    /' <<<"$output"
  status=1
fi
exit $status
