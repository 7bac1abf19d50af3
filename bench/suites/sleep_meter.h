// Time the library spends in its own fixed sleeps: bench_mpdll is linked
// with the platform's sleep wrapped (see bench/CMakeLists.txt), so every
// platform::sleep_ms of the library is added up here. The fixed waits
// (quiet-wait steps, the flash and thermal waits, the open's 10 ms) are
// exactly those sleeps.
#pragma once

namespace mpbench {

// Milliseconds slept by the library since the process started.
double slept_ms();

}  // namespace mpbench
