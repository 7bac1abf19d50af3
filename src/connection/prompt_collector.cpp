// Collects received chunks into the caller's buffer and watches for the prompt.
#include "connection/prompt_collector.h"

#include <algorithm>
#include <cstring>

#include "connection/owed_prompts.h"
#include "mpdll/mpdll.h"

namespace mpdll {

std::string_view received_text(char* chunk, std::size_t length) noexcept {
    char* const end = std::remove(chunk, chunk + length, '\0');
    return {chunk, static_cast<std::size_t>(end - chunk)};
}

PromptCollector::PromptCollector(std::span<char> buffer, std::string_view prompt, std::int32_t wait,
                                 std::size_t promptsOwed) noexcept
    : buffer_(buffer), prompt_(prompt), quiet_(wait == MPDLL_WAIT_QUIET), owed_(promptsOwed), counter_(prompt) {
    if (buffer_.empty()) return;
    length_ = strnlen(buffer_.data(), buffer_.size() - 1);
    buffer_[length_] = '\0';
    counter_.feed(text());
}

bool PromptCollector::ended() const noexcept { return prompt_.empty() || counter_.count() > owed_; }

bool PromptCollector::append(std::string_view chunk) noexcept {
    if (!buffer_.empty()) {
        const std::size_t room = buffer_.size() - 1 - length_;
        const std::size_t kept = std::min(room, chunk.size());
        std::memcpy(buffer_.data() + length_, chunk.data(), kept);
        length_ += kept;
        buffer_[length_] = '\0';
    }
    counter_.feed(chunk);
    return quiet_ || ended();
}

void PromptCollector::replace(std::string_view chunk) noexcept {
    if (!buffer_.empty()) std::memset(buffer_.data(), 0, buffer_.size());
    length_ = 0;
    counter_ = PromptCounter(prompt_);
    append(chunk);
}

std::size_t PromptCollector::owed_after() const noexcept {
    if (ended()) return 0;
    return std::min(owed_ - counter_.count() + 1, owed_prompts::kMost);
}

}  // namespace mpdll
