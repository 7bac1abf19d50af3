// Opening the serial console port with the record's queue sizes, port
// time-outs and line settings.
#pragma once

#include <cstdint>

#include "mpdll/mpdll.h"

namespace mpdll {
// MPDLL_OK with the serial bit set in openFlags, or MPDLL_E_OPEN with the
// reason in the trace and serialHandle invalid.
std::int32_t open_serial(DevContext& dev) noexcept;
}  // namespace mpdll
