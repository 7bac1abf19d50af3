// CloseDev: closes the connections named in which that are open, and clears
// their bits in openFlags and mode. A closed connection's handles hold the
// platform's invalid value, so a second close never reaches a descriptor
// that by then belongs to someone else.
#include <cstdint>
#include <initializer_list>

#include "connection/device_open.h"
#include "connection/owed_prompts.h"
#include "mpdll/mpdll.h"
#include "platform/platform.h"

namespace mpdll {
namespace {
// The pattern a debug build leaves in uninitialised memory.
constexpr std::uintptr_t kUninitialisedPointer = 0xCCCCCCCCu;

void close_socket(MpSocket& socket) {
    if (platform::sockets().is_valid(socket)) platform::sockets().close(socket);
    socket = platform::kInvalidSocket;
}

void close_named(MpHandle& object) {
    platform::close_named(object);
    object = nullptr;
}

void close_udp(DevContext& dev) {
    dev.udpStop = 1;
    close_socket(dev.udpSocket);
    close_socket(dev.udpAuxSocket);
    close_named(dev.cmdDoneEvent);
    close_named(dev.cmdEvent);
    close_named(dev.cmdMutex);
}

void close_serial(DevContext& dev) {
    if (dev.serialHandle && dev.serialHandle != platform::kInvalidHandle) platform::serial().close(dev.serialHandle);
    dev.serialHandle = platform::kInvalidHandle;
}
}  // namespace

void close_connection(DevContext& dev, std::uint32_t mode) noexcept {
    if (!(dev.openFlags & mode)) return;
    if (mode == MPDLL_MODE_UDP) close_udp(dev);
    if (mode == MPDLL_MODE_TELNET) close_socket(dev.telnetSocket);
    if (mode == MPDLL_MODE_SERIAL) close_serial(dev);
    dev.openFlags &= ~mode;
}

}  // namespace mpdll

MPDLL_API int32_t MPDLL_CALL CloseDev(DevContext* dev, uint32_t which) MPDLL_NOEXCEPT {
    if (!dev || reinterpret_cast<std::uintptr_t>(dev) == mpdll::kUninitialisedPointer) return MPDLL_E_OPEN;
    for (const std::uint32_t mode : {MPDLL_MODE_UDP, MPDLL_MODE_TELNET, MPDLL_MODE_SERIAL})
        if (which & mode) mpdll::close_connection(*dev, static_cast<std::uint32_t>(mode));
    dev->mode = static_cast<int32_t>(static_cast<std::uint32_t>(dev->mode) & ~which);
    mpdll::owed_prompts::forget(*dev);
    return MPDLL_OK;
}
