// Finding the board's shell prompt in received text (RcvPrompt).
#include "connection/prompt_search.h"

#include <array>
#include <cstring>

#include "connection/bounded_text.h"
#include "connection/buffer_sizes.h"
#include "mpdll/mpdll.h"

namespace mpdll {
namespace {

std::int32_t offset_of(std::string_view text, std::string_view part) {
    const std::size_t at = text.find(part);
    return at == std::string_view::npos ? -1 : static_cast<std::int32_t>(at);
}

// The prompt with the first "\n\r" turned into "\r\n", or else the first
// "\r\n" into "\n\r". The work text has room for a whole prompt field and
// a terminator, also when the field itself is not terminated.
using PromptWork = std::array<char, kFieldSize + 1>;

std::string_view line_end_variant(std::string_view prompt, PromptWork& work) {
    const std::size_t length = copy_text(work, prompt);
    std::string_view copy(work.data(), length);
    std::size_t at = copy.find("\n\r");
    if (at == std::string_view::npos) at = copy.find("\r\n");
    if (at != std::string_view::npos) std::swap(work[at], work[at + 1]);
    return copy;
}

}  // namespace

bool ends_with_prompt(std::string_view text, std::string_view prompt) noexcept {
    if (prompt.empty()) return false;
    if (text.ends_with(prompt)) return true;
    PromptWork work{};
    return text.ends_with(line_end_variant(prompt, work));
}

std::int32_t prompt_offset(std::string_view text, std::string_view prompt) noexcept {
    std::int32_t at = offset_of(text, prompt);
    if (at >= 0) return at;
    PromptWork work{};
    return offset_of(text, line_end_variant(prompt, work));
}

}  // namespace mpdll

MPDLL_API int32_t MPDLL_CALL RcvPrompt(DevContext* dev, const char* text, int32_t wait) MPDLL_NOEXCEPT {
    if (!dev || !text) return MPDLL_E_ARGUMENT;
    if (wait == MPDLL_WAIT_QUIET) return 0;
    return mpdll::prompt_offset(text, mpdll::field_text(dev->prompt));
}
