// Dropping what already waits before a line goes out: a late answer to an
// earlier line, a duplicated datagram or an extra prompt must never be taken
// as the answer to the next one. What was dropped still counts: the prompts
// in it end late answers the board owed, and its last bytes may hold the
// first part of a prompt whose rest follows. Each transport reads and drops
// its own input; the text dropped is kept here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "connection/answer/prompt_search.h"
#include "text/buffer_sizes.h"

namespace mpdll {

// Bounds a discard when the peer keeps sending.
inline constexpr int kMostStaleReads = 64;

// The text dropped before a line: its prompts and its newest bytes after
// the last of them.
class DroppedInput {
  public:
    explicit DroppedInput(std::string_view prompt) noexcept : prompts_(prompt) {}
    void add(std::string_view text) noexcept;
    std::size_t prompts() const noexcept { return prompts_.count(); }
    // At most a prompt's length of the newest bytes, none of a counted prompt.
    std::string_view tail() const noexcept;

  private:
    PromptCounter prompts_;
    std::array<char, kFieldSize> tail_{};
    std::size_t tailLength_ = 0;
    std::uint64_t fed_ = 0;
};

}  // namespace mpdll
