// POSIX clock, sleep and debugger output.
#include <time.h>

#include <cerrno>

#include "platform/platform.h"

namespace mpdll::platform {

std::uint64_t monotonic_ms() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

void sleep_ms(int ms) {
    if (ms <= 0) return;
    timespec rest{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

// POSIX has no debugger output channel; the texts go nowhere.
void debug_text(const char*) {}

}  // namespace mpdll::platform
