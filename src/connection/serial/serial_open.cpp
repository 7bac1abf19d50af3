// Opening the serial port: the port itself, queue sizes and port time-outs
// (their failures are not reported), the caller's line settings, then a
// purge of both sides. When the port cannot be opened, the open fails and
// says why in the trace. Line settings the port does not take are noted in
// the trace and the open goes on: the port keeps the settings it has, which
// callers that leave dcb zero rely on.
#include "connection/serial/serial_open.h"

#include <algorithm>

#include "connection/device_open_close.h"
#include "connection/trace.h"
#include "connection/transport.h"
#include "connection/serial/serial_timeouts.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

namespace mpdll {
namespace {
constexpr std::uint32_t kSmallestQueue = kResponseSize;
constexpr std::size_t kLongestNameShown = 64;

std::int32_t serial_open_failed(DevContext& dev, const OpenTrace& trace, std::string_view why, int error) {
    dev.serialHandle = platform::kInvalidHandle;
    dev.openFlags &= ~static_cast<std::uint32_t>(MPDLL_MODE_SERIAL);
    return trace.fail(why, error);
}
}  // namespace

// The Windows backend puts the device-namespace prefix before names longer
// than four characters; POSIX takes portName as a device path.
std::int32_t open_serial(DevContext& dev) noexcept {
    OpenTrace trace(serialTransport.firstOpenStep, "");
    const platform::SerialOps& port = platform::serial();
    dev.serialHandle = port.open(dev.portName);
    if (dev.serialHandle == platform::kInvalidHandle) {
        FixedText<128> why;
        why.append("the port \"").append(text_within(dev.portName, kLongestNameShown)).append("\" could not be opened");
        return serial_open_failed(dev, trace, why.view(), port.last_error());
    }
    port.set_queue_sizes(dev.serialHandle, std::max(dev.inQueueSize, kSmallestQueue),
                         std::max(dev.outQueueSize, kSmallestQueue));
    port.set_timeouts(dev.serialHandle, port_timeouts(dev));
    trace.step("line settings");
    if (!port.set_line(dev.serialHandle, dev.dcb))
        trace.note("the port does not take the line settings in dcb and keeps its own", port.last_error());
    port.purge(dev.serialHandle, platform::kPurgeAll);
    return finish_open(dev, MPDLL_MODE_SERIAL);
}

}  // namespace mpdll
