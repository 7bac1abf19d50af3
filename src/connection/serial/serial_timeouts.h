// The port time-outs a serial record runs with: the record's own, or the
// defaults when the caller left all five at zero.
#pragma once

#include "mpdll/mpdll.h"

namespace mpdll {
MpCommTimeouts port_timeouts(const DevContext& dev) noexcept;
}  // namespace mpdll
