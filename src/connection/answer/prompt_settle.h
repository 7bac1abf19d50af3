// The settle after the prompt (MpdllSetPromptSettle): on a console whose
// answers can hold the prompt's text at the end of a write, only time tells
// that prompt from the one that ends the answer. With a settle time, a
// receive whose answer is complete goes on until the board has sent nothing
// for that long; what comes meanwhile re-opens the answer (AnswerFramer::add).
// Without one, the receive ends at the prompt as it always did.
#pragma once

#include <algorithm>
#include <cstdint>

#include "connection/answer/answer_framer.h"
#include "platform/platform.h"

namespace mpdll {

class PromptSettle {
  public:
    PromptSettle() noexcept = default;  // none: the prompt ends the receive
    explicit PromptSettle(std::uint32_t ms) noexcept : ms_(ms) {}

    // The receive ends now: the answer is complete (or was, before text
    // without a prompt re-opened it) and, with a settle time, nothing has
    // come for that long since lastDataMs.
    bool over(const AnswerFramer& framer, std::uint64_t lastDataMs) const noexcept {
        return settling(framer) && (ms_ == 0 || platform::monotonic_ms() - lastDataMs >= ms_);
    }
    // A wait for input bounded so that it ends when the settle does (at most
    // longestMs).
    int bounded_wait(const AnswerFramer& framer, std::uint64_t lastDataMs, int longestMs) const noexcept {
        if (ms_ == 0 || !settling(framer)) return longestMs;
        const std::uint64_t quiet = platform::monotonic_ms() - lastDataMs;
        return quiet >= ms_ ? 0 : std::min(longestMs, static_cast<int>(ms_ - quiet) + 1);
    }

  private:
    static bool settling(const AnswerFramer& framer) noexcept { return framer.complete() || framer.reopened(); }

    std::uint32_t ms_ = 0;
};

}  // namespace mpdll
