// Collects received chunks into the caller's buffer and watches for the
// prompt. The buffer keeps what fits; the prompt is looked for in all data
// received, so an answer longer than the buffer still ends when its prompt
// arrives. With the quiet wait the first chunk ends the receive. When the
// board owes prompts to earlier lines, the receive passes over that many
// prompts and ends at the next one.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "connection/prompt_search.h"

namespace mpdll {

// The text of a received chunk: its NUL bytes (a telnet CR NUL, or noise on
// the line) are dropped in place, so text and a prompt after them still count.
std::string_view received_text(char* chunk, std::size_t length) noexcept;

class PromptCollector {
  public:
    // The buffer's current text (up to its first NUL) is kept and counts as
    // received before the first chunk. promptsOwed: prompts that end late
    // answers to earlier lines, passed over.
    PromptCollector(std::span<char> buffer, std::string_view prompt, std::int32_t wait,
                    std::size_t promptsOwed = 0) noexcept;

    // Appends a chunk's text; true once the prompt that ends this answer is
    // in the data received (always true for the quiet wait, and at once for
    // an empty prompt).
    bool append(std::string_view chunk) noexcept;
    // Puts a chunk's text in place of everything collected.
    void replace(std::string_view chunk) noexcept;
    std::string_view text() const noexcept { return {buffer_.data(), length_}; }
    // The prompts still owed once the receive ends here: none when this
    // answer's prompt came, else those not seen plus one for this line.
    std::size_t owed_after() const noexcept;

  private:
    bool ended() const noexcept;

    std::span<char> buffer_;
    std::size_t length_ = 0;
    std::string_view prompt_;
    bool quiet_;
    std::size_t owed_;
    PromptCounter counter_;
};

}  // namespace mpdll
