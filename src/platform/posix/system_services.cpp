// POSIX clock, sleep and debugger output.
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

// POSIX has no debugger output channel: the texts go to standard error when
// the environment variable MPDLL_TRACE is set (and not "0"), else nowhere.
void debug_text(const char* text) {
    const char* trace = std::getenv("MPDLL_TRACE");
    if (!text || !trace || !*trace || std::strcmp(trace, "0") == 0) return;
    const std::size_t length = std::strlen(text);
    if (::write(STDERR_FILENO, text, length) < 0) return;
    if (length == 0 || text[length - 1] != '\n') (void)!::write(STDERR_FILENO, "\n", 1);
}

}  // namespace mpdll::platform
