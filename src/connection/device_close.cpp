// CloseDev: closes the connections named in which that are open, and clears
// their bits in openFlags and mode.
#include <cstdint>

#include "connection/owed_prompts.h"
#include "mpdll/mpdll.h"
#include "platform/platform.h"

namespace {
// The pattern a debug build leaves in uninitialised memory.
constexpr std::uintptr_t kUninitialisedPointer = 0xCCCCCCCCu;

void close_udp(DevContext& dev) {
    using namespace mpdll;
    dev.udpStop = 1;
    platform::sockets().close(dev.udpSocket);
    platform::sockets().close(dev.udpAuxSocket);
    platform::close_named(dev.cmdDoneEvent);
    platform::close_named(dev.cmdEvent);
    platform::close_named(dev.cmdMutex);
}
}  // namespace

MPDLL_API int32_t MPDLL_CALL CloseDev(DevContext* dev, uint32_t which) MPDLL_NOEXCEPT {
    if (!dev || reinterpret_cast<std::uintptr_t>(dev) == kUninitialisedPointer) return MPDLL_E_OPEN;
    const std::uint32_t open = dev->openFlags;
    auto closing = [&](std::uint32_t bit) { return (open & bit) && (which & bit); };
    auto clear = [&](std::uint32_t bit) {
        dev->openFlags &= ~bit;
        dev->mode = static_cast<int32_t>(static_cast<std::uint32_t>(dev->mode) & ~bit);
    };
    if (closing(MPDLL_MODE_UDP)) {
        close_udp(*dev);
        clear(MPDLL_MODE_UDP);
    }
    if (closing(MPDLL_MODE_TELNET)) {
        clear(MPDLL_MODE_TELNET);
        mpdll::platform::sockets().close(dev->telnetSocket);
    }
    if (closing(MPDLL_MODE_SERIAL)) {
        if (dev->serialHandle) mpdll::platform::serial().close(dev->serialHandle);
        clear(MPDLL_MODE_SERIAL);
    }
    dev->mode = static_cast<int32_t>(static_cast<std::uint32_t>(dev->mode) & ~which);
    mpdll::owed_prompts::forget(*dev);
    return MPDLL_OK;
}
