// The telnet option negotiation as a pure function of the received bytes:
// the library agrees to ECHO and SUPPRESS-GO-AHEAD and refuses every other
// option. No I/O here.
#pragma once

#include <array>
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
    bool found = false;           // at least one negotiation sequence was seen
    std::size_t replyLength = 0;  // reply bytes written
};

// Scans received (as text: the scan ends at its first NUL) and writes the
// replies to every negotiation sequence in it, in order, as far as reply
// holds them. An option command cut short at the end counts as found and
// has no reply.
Negotiation negotiate(std::string_view received, std::span<char> reply) noexcept;

// The reader of the telnet byte stream, chunk by chunk, for the whole session: the options
// in it are read first and answered, its data comes out with the commands
// and NUL bytes (a CR NUL line end, line noise) left out, and a sequence
// cut off at the end of one chunk is kept and completed by the next.
class Stream {
  public:
    static constexpr std::size_t kLongestChunk = 16383;
    struct Taken {
        bool negotiated = false;      // at least one option sequence was seen
        std::size_t dataLength = 0;   // data bytes written
        std::size_t replyLength = 0;  // reply bytes written
    };
    // Reads chunk (at most kLongestChunk bytes are taken); data gets the
    // data bytes as far as it holds them, reply the replies as far as it
    // holds them whole (six bytes for every three received do for any chunk).
    Taken take(std::string_view chunk, std::span<char> data, std::span<char> reply) noexcept;
    // The board said it echoes (WILL ECHO, which we agree to) and has not
    // taken it back since.
    bool peer_echoes() const noexcept { return peerEchoes_; }

  private:
    bool peerEchoes_ = false;
    static constexpr std::size_t kMostCarried = 64;
    std::array<char, kMostCarried> carried_{};
    std::size_t carriedLength_ = 0;
};

}  // namespace mpdll::telnet
