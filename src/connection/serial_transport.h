// Serial transport internals shared by SerialRcv and SendCommand.
#pragma once

#include <cstdint>

#include "connection/answer_framer.h"
#include "mpdll/mpdll.h"

namespace mpdll {

// Sleeps a positive wait, then reads the console into framer until its
// answer is complete or 5000 ms pass (framer.complete() tells which); with
// the quiet wait the first burst, once the port held still, ends it.
// received adds the bytes read. 0; MPDLL_E_SERIAL_TIMEOUT when the port
// status cannot be read; MPDLL_E_TRANSPORT when a read fails (the input is
// purged).
std::int32_t serial_receive(const DevContext& dev, AnswerFramer& framer, std::int32_t wait,
                            std::int32_t& received) noexcept;

}  // namespace mpdll
