// Finding the board's shell prompt in received text (RcvPrompt).
#include "connection/answer/prompt_search.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "mpdll/mpdll.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

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

PromptCounter::PromptCounter(std::string_view prompt) noexcept
    : prompt_(prompt.substr(0, kFieldSize)), variantLength_(line_end_variant(prompt_, variant_).size()) {}

void PromptCounter::feed(std::string_view chunk) noexcept {
    if (prompt_.empty()) return;
    const std::size_t length = prompt_.size();
    const std::string_view variant(variant_.data(), variantLength_);
    const bool sameForms = variant == prompt_;
    // A prompt that ends in this chunk starts in it or in the newest bytes
    // before it: the seam (those bytes and the chunk's head) is searched
    // first, then the rest of the chunk.
    std::array<char, 2 * kFieldSize> seam{};
    std::memcpy(seam.data(), tail_.data(), tailLength_);
    const std::size_t head = std::min(chunk.size(), kFieldSize);
    std::memcpy(seam.data() + tailLength_, chunk.data(), head);
    auto count_in = [&](std::string_view text, std::uint64_t textStart, std::size_t endsAfter) {
        for (std::size_t at = 0;;) {
            const std::size_t hit =
                sameForms ? text.find(prompt_, at) : std::min(text.find(prompt_, at), text.find(variant, at));
            if (hit == std::string_view::npos) return;
            const std::uint64_t end = textStart + hit + length;
            const bool counted = hit + length > endsAfter && end - length >= lastEnd_;
            if (counted) {
                ends_[count_ % kRemembered] = end;
                ++count_;
                lastEnd_ = end;
            }
            at = counted ? hit + length : hit + 1;
        }
    };
    count_in(std::string_view(seam.data(), tailLength_ + head), fed_ - tailLength_, tailLength_);
    if (chunk.size() > head) count_in(chunk, fed_, head);
    fed_ += chunk.size();

    if (chunk.size() >= tail_.size()) {
        std::memcpy(tail_.data(), chunk.data() + chunk.size() - tail_.size(), tail_.size());
        tailLength_ = tail_.size();
    } else {
        const std::size_t keep = std::min(tailLength_, tail_.size() - chunk.size());
        std::memmove(tail_.data(), tail_.data() + tailLength_ - keep, keep);
        std::memcpy(tail_.data() + keep, chunk.data(), chunk.size());
        tailLength_ = keep + chunk.size();
    }
}

std::uint64_t PromptCounter::end_of(std::size_t n) const noexcept {
    if (n == 0 || n > count_ || count_ - n >= kRemembered) return 0;
    return ends_[(n - 1) % kRemembered];
}

PromptFinder::PromptFinder(std::string_view prompt) noexcept
    : prompt_(prompt.substr(0, kFieldSize)), variantLength_(line_end_variant(prompt_, variant_).size()) {}

PromptAt PromptFinder::next(std::string_view text, std::size_t from) const noexcept {
    if (prompt_.empty() || from > text.size()) return {std::string_view::npos, std::string_view::npos};
    const std::size_t plain = text.find(prompt_, from);
    const std::size_t other = text.find(std::string_view(variant_.data(), variantLength_), from);
    const std::size_t start = std::min(plain, other);
    if (start == std::string_view::npos) return {start, start};
    return {start, start + prompt_.size()};
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
