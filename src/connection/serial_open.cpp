// Opening the serial port: queue sizes, port time-outs and the caller's line
// settings, then a purge of both sides.
#include <algorithm>

#include "connection/device_open_close.h"
#include "connection/serial_timeouts.h"
#include "platform/platform.h"

namespace mpdll {
namespace {
constexpr std::uint32_t kSmallestQueue = 16384;
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
    port.set_timeouts(dev.serialHandle, port_timeouts(dev));
    port.set_line(dev.serialHandle, dev.dcb);
    port.purge(dev.serialHandle, platform::kPurgeAll);
    return finish_open(dev, MPDLL_MODE_SERIAL);
}

}  // namespace mpdll
