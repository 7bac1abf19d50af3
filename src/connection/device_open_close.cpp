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

#include "connection/session_log.h"
#include "connection/session_state.h"
#include "connection/trace.h"
#include "mpdll/mpdll.h"
#include "platform/platform.h"

namespace mpdll {
namespace {
constexpr int kSettleMs = 10;
// The pattern a debug build leaves in uninitialised memory.
constexpr std::uintptr_t kUninitialisedPointer = 0xCCCCCCCCu;
}  // namespace

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

void close_connection(DevContext& dev, const Transport& transport, std::string_view by) noexcept {
    const auto bit = static_cast<std::uint32_t>(transport.mode);
    if (!(dev.openFlags & bit)) return;
    transport.close(dev);
    dev.openFlags &= ~bit;
    trace_close(dev, by, transport.name);
}

}  // namespace mpdll

MPDLL_API int32_t MPDLL_CALL OpenDev(DevContext* dev) MPDLL_NOEXCEPT {
    if (!dev) return MPDLL_E_ARGUMENT;
    const mpdll::Transport* transport = mpdll::transport_of(*dev);
    // Closed before the open's clock starts, so that the trace tells how
    // long the old connection was open.
    if (transport) mpdll::close_connection(*dev, *transport, "OpenDev");
    mpdll::session_log::OpenScope scope(*dev, transport ? transport->firstOpenStep : "connect");
    if (!transport) {
        dev->openFlags = 0;
        return scope.end(MPDLL_E_OPEN_MODE);
    }
    return scope.end(transport->open(*dev));
}

MPDLL_API int32_t MPDLL_CALL CloseDev(DevContext* dev, uint32_t which) MPDLL_NOEXCEPT {
    if (!dev || reinterpret_cast<std::uintptr_t>(dev) == mpdll::kUninitialisedPointer) return MPDLL_E_OPEN;
    mpdll::session_log::CallScope scope(dev, "CloseDev");
    for (const mpdll::Transport* transport : mpdll::all_transports())
        if (which & static_cast<std::uint32_t>(transport->mode)) mpdll::close_connection(*dev, *transport, "CloseDev");
    dev->mode = static_cast<int32_t>(static_cast<std::uint32_t>(dev->mode) & ~which);
    const int32_t status = scope.end(MPDLL_OK);
    if (dev->openFlags == 0) mpdll::session_log::forget(*dev);
    return status;
}
