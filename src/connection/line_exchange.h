// One command line over a console the board's shell reads (telnet or
// serial): what already waits is dropped (its prompts pay what the board
// owed), the line goes out, a positive wait is slept, and the answer is
// framed by the line's own echo and the prompt that ends the text (after
// the record's settle, when it has one). The session's knowledge is kept for
// the next line. The backends differ only in the four steps of LineConsole.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "connection/answer/answer_framer.h"
#include "connection/answer/prompt_settle.h"
#include "connection/answer/stale_input.h"
#include "connection/session_state.h"
#include "connection/trace.h"
#include "mpdll/mpdll.h"

namespace mpdll {

struct LineConsole {
    // Reads and drops what is readable at once into dropped; scratch is
    // the read area.
    void (*discard)(const DevContext& dev, SessionState& session, DroppedInput& dropped,
                    std::span<char> scratch) noexcept;
    // Sends the line followed by one CR; lastSent takes the line. MPDLL_OK
    // or the failure, said in trace.
    std::int32_t (*send)(const DevContext& dev, std::string_view line, const CallTrace& trace) noexcept;
    // Reads the board into framer until its answer is complete, and settle
    // has passed after it, or the receive time ends. MPDLL_OK (complete or
    // not) or the failure, said in trace.
    std::int32_t (*receive)(const DevContext& dev, SessionState& session, AnswerFramer& framer, std::int32_t wait,
                            const PromptSettle& settle, const CallTrace& trace) noexcept;
    // The receive ended with framer as it stands (closed): MPDLL_OK hands
    // its answer out, anything else is the exchange's failure, said in
    // trace.
    std::int32_t (*settle)(const DevContext& dev, const AnswerFramer& framer, const CallTrace& trace) noexcept;
};

// response is cleared by the caller; the answer is kept terminated in it.
std::int32_t line_exchange(DevContext& dev, std::string_view line, std::span<char> response, bool keepPrompt,
                           std::int32_t wait, const LineConsole& console, const CallTrace& trace) noexcept;

}  // namespace mpdll
