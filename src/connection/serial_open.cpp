// Opening the serial port: queue sizes, port time-outs and the caller's line
// settings, then a purge of both sides.
#include <algorithm>

#include "connection/device_open.h"
#include "platform/platform.h"

namespace mpdll {
namespace {

constexpr std::uint32_t kSmallestQueue = 16384;
constexpr MpCommTimeouts kDefaultTimeouts{100, 0, 0, 100, 500};

bool all_zero(const MpCommTimeouts& t) {
    return t.ReadIntervalTimeout == 0 && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0 &&
           t.WriteTotalTimeoutMultiplier == 0 && t.WriteTotalTimeoutConstant == 0;
}

}  // namespace

// The Windows backend puts the device-namespace prefix before names longer
// than four characters; POSIX takes portName as a device path.
std::int32_t open_serial(DevContext& dev) noexcept {
    const platform::SerialOps& port = platform::serial();
    dev.serialHandle = port.open(dev.portName);
    if (dev.serialHandle == platform::kInvalidHandle) {
        dev.openFlags &= ~static_cast<std::uint32_t>(MPDLL_MODE_SERIAL);
        return MPDLL_E_OPEN;
    }
    port.set_queue_sizes(dev.serialHandle, std::max(dev.inQueueSize, kSmallestQueue),
                         std::max(dev.outQueueSize, kSmallestQueue));
    port.set_timeouts(dev.serialHandle, all_zero(dev.commTimeouts) ? kDefaultTimeouts : dev.commTimeouts);
    port.set_line(dev.serialHandle, dev.dcb);
    port.purge(dev.serialHandle, platform::kPurgeAll);
    return finish_open(dev, MPDLL_MODE_SERIAL);
}

}  // namespace mpdll
