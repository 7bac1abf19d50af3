// The telnet option negotiation as a pure function of the received bytes:
// the library agrees to ECHO and SUPPRESS-GO-AHEAD and refuses every other
// option. No I/O here.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace mpdll::telnet {

inline constexpr unsigned char kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;
inline constexpr unsigned char kEcho = 1, kSuppressGoAhead = 3;
// The most reply bytes one sequence can need.
inline constexpr std::size_t kLongestReply = 6;

// The reply to one sequence (IAC, command, option, ...) into reply; returns
// its length (0, 3 or 6). Writes nothing when reply is too small.
std::size_t reply_to(std::string_view sequence, std::span<char> reply) noexcept;

struct Negotiation {
    bool found = false;          // at least one negotiation sequence was seen
    std::size_t replyLength = 0;  // reply bytes written
};

// Scans received (as text: the scan ends at its first NUL) and writes the
// replies to every negotiation sequence in it, in order, as far as reply
// holds them.
Negotiation negotiate(std::string_view received, std::span<char> reply) noexcept;

// The received text with the telnet commands left out (an escaped IAC IAC
// stays as one data byte 255); returns the length written to out.
std::size_t data_text(std::string_view received, std::span<char> out) noexcept;

}  // namespace mpdll::telnet
