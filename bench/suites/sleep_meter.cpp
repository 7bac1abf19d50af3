// The wrapper around mpdll::platform::sleep_ms(int) (mangled name below).
#include "suites/sleep_meter.h"

#include <atomic>
#include <chrono>

extern "C" void __real__ZN5mpdll8platform8sleep_msEi(int ms);

namespace {
std::atomic<long long> sleptMicros{0};
}

extern "C" void __wrap__ZN5mpdll8platform8sleep_msEi(int ms) {
    const auto start = std::chrono::steady_clock::now();
    __real__ZN5mpdll8platform8sleep_msEi(ms);
    sleptMicros +=
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
}

namespace mpbench {

double slept_ms() { return static_cast<double>(sleptMicros.load()) / 1000.0; }

}  // namespace mpbench
