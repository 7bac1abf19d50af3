// CloseDev: closes the connections named in which that are open, and clears
// their bits in openFlags and mode. A closed connection's handles are set to
// the invalid values, so closing again never touches a handle that another
// record may have been given since.
#include <cstdint>

#include "connection/device_open.h"
#include "connection/owed_prompts.h"
#include "mpdll/mpdll.h"
#include "platform/platform.h"

namespace mpdll {
namespace {
// The pattern a debug build leaves in uninitialised memory.
constexpr std::uintptr_t kUninitialisedPointer = 0xCCCCCCCCu;

void close_named(MpHandle& handle) {
    platform::close_named(handle);
    handle = nullptr;
}

void close_udp(DevContext& dev) {
    dev.udpStop = 1;
    platform::sockets().close(dev.udpSocket);
    platform::sockets().close(dev.udpAuxSocket);
    dev.udpSocket = dev.udpAuxSocket = platform::kInvalidSocket;
    close_named(dev.cmdDoneEvent);
    close_named(dev.cmdEvent);
    close_named(dev.cmdMutex);
}
}  // namespace

void close_connections(DevContext& dev, std::uint32_t which) noexcept {
    const std::uint32_t open = dev.openFlags;
    auto closing = [&](std::uint32_t bit) { return (open & bit) && (which & bit); };
    if (closing(MPDLL_MODE_UDP)) close_udp(dev);
    if (closing(MPDLL_MODE_TELNET)) {
        platform::sockets().close(dev.telnetSocket);
        dev.telnetSocket = platform::kInvalidSocket;
    }
    if (closing(MPDLL_MODE_SERIAL)) {
        if (dev.serialHandle && dev.serialHandle != platform::kInvalidHandle) platform::serial().close(dev.serialHandle);
        dev.serialHandle = platform::kInvalidHandle;
    }
    dev.openFlags &= ~(open & which);
    owed_prompts::forget(dev);
}

}  // namespace mpdll

MPDLL_API int32_t MPDLL_CALL CloseDev(DevContext* dev, uint32_t which) MPDLL_NOEXCEPT {
    if (!dev || reinterpret_cast<std::uintptr_t>(dev) == mpdll::kUninitialisedPointer) return MPDLL_E_OPEN;
    mpdll::close_connections(*dev, which);
    dev->mode = static_cast<int32_t>(static_cast<std::uint32_t>(dev->mode) & ~which);
    return MPDLL_OK;
}
