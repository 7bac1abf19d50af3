// Finding the board's shell prompt in received text. A prompt configured with
// one line-end order ("\n\r" or "\r\n") also matches the other order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/buffer_sizes.h"

namespace mpdll {
// Offset of prompt (or of its line-end variant) in text, or -1.
std::int32_t prompt_offset(std::string_view text, std::string_view prompt) noexcept;
// True when text ends with the prompt (either line-end order); an empty
// prompt never ends a text.
bool ends_with_prompt(std::string_view text, std::string_view prompt) noexcept;

// One prompt in a text: where it starts and where it ends.
struct PromptAt {
    std::size_t start = 0, end = 0;
};
// Finds prompts (either line-end order) left to right, each once.
class PromptFinder {
  public:
    explicit PromptFinder(std::string_view prompt) noexcept;
    // The first prompt that starts at or after from; start npos when none
    // (and always for an empty prompt).
    PromptAt next(std::string_view text, std::size_t from) const noexcept;

  private:
    std::string_view prompt_;
    std::array<char, kFieldSize + 1> variant_{};
    std::size_t variantLength_ = 0;
};

// Counts the prompts in text that arrives chunk by chunk, also a prompt
// split across two chunks. Positions are offsets in all the text fed so
// far. An empty prompt is never counted.
class PromptCounter {
  public:
    explicit PromptCounter(std::string_view prompt) noexcept;
    // Feeds the next chunk and counts every prompt that ends in it.
    void feed(std::string_view chunk) noexcept;
    std::size_t count() const noexcept { return count_; }
    // The end of the n-th prompt counted (n from 1), or 0 when fewer were.
    std::uint64_t end_of(std::size_t n) const noexcept;

  private:
    static constexpr std::size_t kRemembered = 8;  // prompt ends kept for end_of
    std::string_view prompt_;
    std::array<char, kFieldSize + 1> variant_{};  // the prompt in the other line-end order
    std::size_t variantLength_ = 0;
    std::array<char, kFieldSize> tail_{};  // the newest bytes before the chunk
    std::size_t tailLength_ = 0;
    std::uint64_t fed_ = 0;      // bytes fed so far
    std::uint64_t lastEnd_ = 0;  // end of the newest prompt counted
    std::size_t count_ = 0;
    std::array<std::uint64_t, kRemembered> ends_{};
};

}  // namespace mpdll
