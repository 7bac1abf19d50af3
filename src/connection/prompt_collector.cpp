// Collects received chunks into the caller's buffer and watches for the prompt.
#include "connection/prompt_collector.h"

#include <algorithm>
#include <cstring>

#include "connection/prompt_search.h"
#include "mpdll/mpdll.h"

namespace mpdll {

std::string_view received_text(char* chunk, std::size_t length) noexcept {
    char* const end = std::remove(chunk, chunk + length, '\0');
    return {chunk, static_cast<std::size_t>(end - chunk)};
}

PromptCollector::PromptCollector(std::span<char> buffer, std::string_view prompt, std::int32_t wait) noexcept
    : buffer_(buffer), prompt_(prompt), quiet_(wait == MPDLL_WAIT_QUIET) {
    if (buffer_.empty()) return;
    length_ = strnlen(buffer_.data(), buffer_.size() - 1);
    buffer_[length_] = '\0';
    found_ = prompt_offset(text(), prompt_) >= 0;
    remember_tail(text());
}

bool PromptCollector::append(std::string_view chunk) noexcept {
    if (!buffer_.empty()) {
        const std::size_t room = buffer_.size() - 1 - length_;
        const std::size_t kept = std::min(room, chunk.size());
        std::memcpy(buffer_.data() + length_, chunk.data(), kept);
        length_ += kept;
        buffer_[length_] = '\0';
    }
    if (quiet_) return true;

    // A prompt that ends in this chunk lies in the chunk or spans the seam
    // between the newest bytes before it and the chunk's start.
    std::array<char, 2 * kFieldSize> seam{};
    std::memcpy(seam.data(), tail_.data(), tailLength_);
    const std::size_t head = std::min(chunk.size(), kFieldSize);
    std::memcpy(seam.data() + tailLength_, chunk.data(), head);
    const std::string_view seamText(seam.data(), tailLength_ + head);
    if (prompt_offset(seamText, prompt_) >= 0 || prompt_offset(chunk, prompt_) >= 0) found_ = true;

    remember_tail(chunk);
    return found_;
}

void PromptCollector::replace(std::string_view chunk) noexcept {
    if (!buffer_.empty()) std::memset(buffer_.data(), 0, buffer_.size());
    length_ = 0;
    tailLength_ = 0;
    found_ = false;
    append(chunk);
}

void PromptCollector::remember_tail(std::string_view chunk) noexcept {
    if (chunk.size() >= tail_.size()) {
        std::memcpy(tail_.data(), chunk.data() + chunk.size() - tail_.size(), tail_.size());
        tailLength_ = tail_.size();
        return;
    }
    const std::size_t keep = std::min(tailLength_, tail_.size() - chunk.size());
    std::memmove(tail_.data(), tail_.data() + tailLength_ - keep, keep);
    std::memcpy(tail_.data() + keep, chunk.data(), chunk.size());
    tailLength_ = keep + chunk.size();
}

}  // namespace mpdll
