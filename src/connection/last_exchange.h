// The library-wide copies of the last line sent and the last raw response,
// handed out by GetBuffer for the caller's log. A lock guards them, so
// commands on different records from different threads never race on them;
// the last exchange of the whole process is what they describe.
#pragma once

#include <span>
#include <string_view>

#include "text/buffer_sizes.h"

namespace mpdll::last_exchange {

inline constexpr std::size_t kSentSize = kCommandSize;
inline constexpr std::size_t kReceivedSize = kResponseSize;

void clear() noexcept;
// Each record replaces the whole previous text (cut to fit, terminated).
void record_sent(std::string_view line) noexcept;
void record_received(std::string_view text) noexcept;
// Copies the stored text as far as it fits with a terminator.
void copy_sent(std::span<char> out) noexcept;
void copy_received(std::span<char> out) noexcept;

}  // namespace mpdll::last_exchange
