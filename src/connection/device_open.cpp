// OpenDev: opens the connection the record's mode names; and the step every
// open ends with. A connection of that mode the record still holds is closed
// first, so opening again never leaks it, and a failed open leaves the
// record closed for that mode.
#include "connection/device_open.h"

#include "connection/owed_prompts.h"
#include "platform/platform.h"

namespace mpdll {
namespace {
constexpr int kSettleMs = 10;
}  // namespace

std::int32_t finish_open(DevContext& dev, std::int32_t mode) noexcept {
    dev.openFlags |= static_cast<std::uint32_t>(mode);
    platform::sleep_ms(kSettleMs);
    return MPDLL_OK;
}

}  // namespace mpdll

MPDLL_API int32_t MPDLL_CALL OpenDev(DevContext* dev) MPDLL_NOEXCEPT {
    if (!dev) return MPDLL_E_ARGUMENT;
    mpdll::owed_prompts::forget(*dev);
    switch (dev->mode) {
        case MPDLL_MODE_UDP:
            mpdll::close_connection(*dev, MPDLL_MODE_UDP);
            return mpdll::open_udp(*dev);
        case MPDLL_MODE_TELNET:
            mpdll::close_connection(*dev, MPDLL_MODE_TELNET);
            return mpdll::open_telnet(*dev);
        case MPDLL_MODE_SERIAL:
            mpdll::close_connection(*dev, MPDLL_MODE_SERIAL);
            return mpdll::open_serial(*dev);
        default:
            dev->openFlags = 0;
            return MPDLL_E_OPEN_MODE;
    }
}
