// Collects received chunks into the caller's buffer and watches for the
// prompt. The buffer keeps what fits; the prompt is looked for in all data
// received, so an answer longer than the buffer still ends when its prompt
// arrives. With the quiet wait the first chunk ends the receive.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "connection/buffer_sizes.h"

namespace mpdll {

// The text of a received chunk: its NUL bytes (a telnet CR NUL, or noise on
// the line) are dropped in place, so text and a prompt after them still count.
std::string_view received_text(char* chunk, std::size_t length) noexcept;

class PromptCollector {
public:
    // The buffer's current text (up to its first NUL) is kept and counts as
    // received before the first chunk.
    PromptCollector(std::span<char> buffer, std::string_view prompt, std::int32_t wait) noexcept;

    // Appends a chunk's text; true once the prompt is in the data received
    // (always true for the quiet wait).
    bool append(std::string_view chunk) noexcept;
    // Puts a chunk's text in place of everything collected.
    void replace(std::string_view chunk) noexcept;
    std::string_view text() const noexcept { return {buffer_.data(), length_}; }

private:
    void remember_tail(std::string_view chunk) noexcept;

    std::span<char> buffer_;
    std::size_t length_ = 0;
    std::string_view prompt_;
    bool quiet_;
    bool found_ = false;
    // The newest bytes received: a prompt split across two chunks spans them.
    std::array<char, kFieldSize> tail_{};
    std::size_t tailLength_ = 0;
};

}  // namespace mpdll
