#!/usr/bin/env bash
# `make test`: every build and every test, in two lanes so that the builds,
# which need the processors, run while the test suites, which mostly wait on
# a board's time-outs, run beside them:
#   tests:  layers, native suite, Python suite, | ASan suite | exports, SDK, win32 wheel,
#           .NET binding, wheel, Debian packages |            | Windows e2e, fuzzers, TSan
#   builds: (native first)                       | ASan       | Windows, SDK, fuzz and TSan builds
# The builds run at the lowest priority, so a test waiting on a deadline
# never waits for a compiler; their output is shown when they end.
set -euo pipefail

make_cmd=${MAKE:-make}
build_dir=${BUILD:-build}
mkdir -p "$build_dir"

builds_pid=
builds_log=$build_dir/gate-builds.log
trap '[[ -n $builds_pid ]] && kill -- -"$builds_pid" 2>/dev/null; true' EXIT

# Starts `make TARGETS...` at low priority in its own process group.
start_builds() {
    setsid nice -n 19 "$make_cmd" "$@" >"$builds_log" 2>&1 &
    builds_pid=$!
}

# Waits for the builds started last; shows their output; fails if they did.
finish_builds() {
    local status=0
    wait "$builds_pid" || status=$?
    builds_pid=
    cat "$builds_log"
    rm -f "$builds_log"
    if ((status != 0)); then
        echo "test-gate: a build failed (make exited $status)" >&2
        exit "$status"
    fi
}

"$make_cmd" native
"$make_cmd" check-layers

start_builds asan
"$make_cmd" test-native
"$make_cmd" test-python
"$make_cmd" test-dotnet test-wheel test-deb
finish_builds

start_builds win32 win64 sdk fuzz-build tsan-build
"$make_cmd" test-asan
finish_builds

"$make_cmd" check-exports check-sdk check-wheel-win32 test-windows fuzz-short tsan
