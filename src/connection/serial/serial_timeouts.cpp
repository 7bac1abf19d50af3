// The port time-outs a serial record runs with.
#include "connection/serial/serial_timeouts.h"

namespace mpdll {
namespace {
constexpr MpCommTimeouts kDefaultTimeouts{100, 0, 0, 100, 500};

bool all_zero(const MpCommTimeouts& t) {
    return t.ReadIntervalTimeout == 0 && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0 &&
           t.WriteTotalTimeoutMultiplier == 0 && t.WriteTotalTimeoutConstant == 0;
}
}  // namespace

MpCommTimeouts port_timeouts(const DevContext& dev) noexcept {
    return all_zero(dev.commTimeouts) ? kDefaultTimeouts : dev.commTimeouts;
}

}  // namespace mpdll
