// OpenDev: opens the connection the record's mode names; and the step every
// open ends with. A connection of that mode the record still holds is closed
// first, so opening again never leaks it, and a failed open leaves the
// record closed for that mode.
// CloseDev: closes the connections named in which that are open, and clears
// their bits in openFlags and mode. A closed connection's handles hold the
// platform's invalid value, so a second close never reaches a descriptor
// that by then belongs to someone else.
#include "connection/device_open_close.h"

#include <cstdint>
#include <initializer_list>

#include "connection/session_log.h"
#include "connection/session_state.h"
#include "mpdll/mpdll.h"
#include "platform/platform.h"

namespace mpdll {
namespace {
constexpr int kSettleMs = 10;
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
    release_udp_handles(dev);
}

void close_serial(DevContext& dev) {
    if (dev.serialHandle && dev.serialHandle != platform::kInvalidHandle) platform::serial().close(dev.serialHandle);
    dev.serialHandle = platform::kInvalidHandle;
}
}  // namespace

void release_udp_handles(DevContext& dev) noexcept {
    close_socket(dev.udpSocket);
    close_socket(dev.udpAuxSocket);
    close_named(dev.cmdDoneEvent);
    close_named(dev.cmdEvent);
    close_named(dev.cmdMutex);
}

std::int32_t finish_open(DevContext& dev, std::int32_t mode) noexcept {
    dev.openFlags |= static_cast<std::uint32_t>(mode);
    platform::sleep_ms(kSettleMs);
    return MPDLL_OK;
}

std::int32_t open_line_connection(DevContext& dev, std::int32_t (*open)(DevContext&) noexcept) noexcept {
    session::begin(dev);
    const std::int32_t status = open(dev);
    if (status != MPDLL_OK) session::end(dev);
    return status;
}

void close_connection(DevContext& dev, std::uint32_t mode) noexcept {
    if (!(dev.openFlags & mode)) return;
    if (mode == MPDLL_MODE_UDP) close_udp(dev);
    if (mode == MPDLL_MODE_TELNET) close_socket(dev.telnetSocket);
    if (mode == MPDLL_MODE_SERIAL) close_serial(dev);
    if (mode != MPDLL_MODE_UDP) session::end(dev);
    dev.openFlags &= ~mode;
}

}  // namespace mpdll

static int32_t open_dev(DevContext* dev) noexcept {
    switch (dev->mode) {
        case MPDLL_MODE_UDP:
            mpdll::close_connection(*dev, MPDLL_MODE_UDP);
            return mpdll::open_udp(*dev);
        case MPDLL_MODE_TELNET:
            mpdll::close_connection(*dev, MPDLL_MODE_TELNET);
            return mpdll::open_line_connection(*dev, mpdll::open_telnet);
        case MPDLL_MODE_SERIAL:
            mpdll::close_connection(*dev, MPDLL_MODE_SERIAL);
            return mpdll::open_line_connection(*dev, mpdll::open_serial);
        default:
            dev->openFlags = 0;
            return MPDLL_E_OPEN_MODE;
    }
}

MPDLL_API int32_t MPDLL_CALL OpenDev(DevContext* dev) MPDLL_NOEXCEPT {
    if (!dev) return MPDLL_E_ARGUMENT;
    const char* firstStep = dev->mode == MPDLL_MODE_SERIAL ? "serial port" : dev->mode == MPDLL_MODE_UDP ? "udp" : "connect";
    mpdll::session_log::OpenScope scope(*dev, firstStep);
    return scope.end(open_dev(dev));
}

MPDLL_API int32_t MPDLL_CALL CloseDev(DevContext* dev, uint32_t which) MPDLL_NOEXCEPT {
    if (!dev || reinterpret_cast<std::uintptr_t>(dev) == mpdll::kUninitialisedPointer) return MPDLL_E_OPEN;
    mpdll::session_log::CallScope scope(dev, "CloseDev");
    for (const std::uint32_t mode : {MPDLL_MODE_UDP, MPDLL_MODE_TELNET, MPDLL_MODE_SERIAL})
        if (which & mode) mpdll::close_connection(*dev, static_cast<std::uint32_t>(mode));
    dev->mode = static_cast<int32_t>(static_cast<std::uint32_t>(dev->mode) & ~which);
    const int32_t status = scope.end(MPDLL_OK);
    if (dev->openFlags == 0) mpdll::session_log::forget(*dev);
    return status;
}
