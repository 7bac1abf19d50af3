// The argument text of the continuous-transmit command: optional time and
// count items, then the words of the transmit mode, joined by commas.
#pragma once

#include <cstdint>

#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

namespace mpdll::procedures {

using TransmitArgument = FixedText<kCommandSize>;

// "time=T" when time > 0, "count=C" when count > 0, then by txMode (compared
// unsigned): 1 "background"; 2 "stone,background"; 3 "cs,background";
// every other value "pkt,background".
TransmitArgument transmit_argument(std::uint32_t txMode, std::int32_t count, std::int32_t time) noexcept;

}  // namespace mpdll::procedures
