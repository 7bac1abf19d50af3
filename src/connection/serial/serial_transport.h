// Serial transport internals shared by SerialSnd, SerialRcv and the serial
// backend's command exchange.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "connection/answer/answer_framer.h"
#include "connection/answer/prompt_settle.h"
#include "connection/answer/stale_input.h"
#include "connection/trace.h"
#include "mpdll/mpdll.h"

namespace mpdll {

// Purges the port, writes data followed by one CR (lastSent takes it) and
// waits for the output to drain as sendTimeout says. 0; MPDLL_E_ARGUMENT
// for a line longer than 2046 bytes; MPDLL_E_TRANSPORT when the port does
// not take the whole line (the output is purged) or its status cannot be
// read while it drains. A failure is said in trace.
std::int32_t serial_send(const DevContext& dev, std::string_view data, const CallTrace& trace) noexcept;

// Sleeps a positive wait, then reads the console into framer until its
// answer is complete, and settle has passed after it, or 5000 ms pass
// (framer.complete() tells which); with the quiet wait the first burst,
// once the port held still, ends it. received adds the bytes read. 0;
// MPDLL_E_SERIAL_TIMEOUT when the port status cannot be read;
// MPDLL_E_TRANSPORT when a read fails (the input is purged). A failure is
// said in trace.
std::int32_t serial_receive(const DevContext& dev, AnswerFramer& framer, std::int32_t wait, const PromptSettle& settle,
                            std::int32_t& received, const CallTrace& trace) noexcept;

// The receive time ended before the prompt: says so in trace and returns
// MPDLL_E_SERIAL_TIMEOUT.
std::int32_t serial_answer_missing(const CallTrace& trace) noexcept;

// Reads and drops the input queued on the console; scratch is the read area.
void discard_serial_input(MpHandle port, DroppedInput& dropped, std::span<char> scratch) noexcept;

}  // namespace mpdll
