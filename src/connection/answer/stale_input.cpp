// The text dropped before a line goes out.
#include "connection/answer/stale_input.h"

#include <algorithm>
#include <cstring>

namespace mpdll {

void DroppedInput::add(std::string_view text) noexcept {
    prompts_.feed(text);
    fed_ += text.size();
    const std::size_t newest = std::min(text.size(), tail_.size());
    const std::size_t keep = std::min(tailLength_, tail_.size() - newest);
    std::memmove(tail_.data(), tail_.data() + tailLength_ - keep, keep);
    std::memcpy(tail_.data() + keep, text.data() + text.size() - newest, newest);
    tailLength_ = keep + newest;
}

std::string_view DroppedInput::tail() const noexcept {
    const std::uint64_t lastPromptEnd = prompts_.end_of(prompts_.count());
    const std::uint64_t tailStart = fed_ - tailLength_;
    const std::size_t skip = lastPromptEnd > tailStart ? static_cast<std::size_t>(lastPromptEnd - tailStart) : 0;
    return {tail_.data() + skip, tailLength_ - skip};
}

}  // namespace mpdll
