// The telnet option negotiation as a pure function of the received bytes.
#include "connection/telnet/telnet_negotiation.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace mpdll::telnet {
namespace {

constexpr char kIacChar = static_cast<char>(kIac);
constexpr char kSeChar = static_cast<char>(kSe);
constexpr char kDigitOne = '1', kDigitZero = '0';

unsigned char byte_at(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }

bool is_option_command(unsigned char c) { return c == kWill || c == kWont || c == kDo || c == kDont; }

// One sequence found by the scan: where it starts, how long it is, and
// whether it goes to the reply table. An SB runs up to, not including, its
// SE; the scan resumes after that SE byte (which is no IAC, so resuming at
// it would find the same next IAC).
struct Sequence {
    std::size_t start = 0, length = 0, resume = 0;
    bool answered = false;
    bool complete = true;  // false: cut off by the end of the bytes
};

// The sequence at the IAC at position iac; iac + 1 is inside text.
Sequence sequence_at(std::string_view text, std::size_t iac) {
    const unsigned char command = byte_at(text, iac + 1);
    if (command == kSb) {
        const std::size_t se = text.find(kSeChar, iac + 2);
        if (se == std::string_view::npos) return {iac, text.size() - iac, text.size(), false, false};
        return {iac, se - iac, se + 1, true, true};
    }
    if (is_option_command(command)) {
        if (iac + 2 >= text.size()) return {iac, text.size() - iac, text.size(), true, false};
        return {iac, 3, iac + 3, true, true};
    }
    return {iac, 2, iac + 2, false, true};  // IAC IAC or another command: no reply
}

// Calls visit(sequence) for each sequence and data(part) for the bytes
// between, over every byte of bytes (NUL bytes included: an option number
// may be 0). Returns where a sequence cut off by the end of bytes starts (an
// IAC alone, IAC and a command without its option, an SB without its SE),
// or bytes.size() when nothing was cut.
template <typename OnSequence, typename OnData>
std::size_t scan(std::string_view bytes, OnSequence visit, OnData data) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t iac = bytes.find(kIacChar, at);
        if (iac == std::string_view::npos) {
            data(bytes.substr(at));
            return bytes.size();
        }
        data(bytes.substr(at, iac - at));
        if (iac + 1 >= bytes.size()) return iac;
        const Sequence sequence = sequence_at(bytes, iac);
        if (!sequence.complete) return iac;
        visit(bytes, sequence);
        at = sequence.resume;
    }
    return bytes.size();
}

}  // namespace

std::size_t reply_to(std::string_view sequence, std::span<char> reply) noexcept {
    if (sequence.size() < 3 || reply.size() < kLongestReply) return 0;
    const unsigned char command = byte_at(sequence, 1), option = byte_at(sequence, 2);
    const bool agreeable = option == kEcho || option == kSuppressGoAhead;
    unsigned char answer = 0;
    switch (command) {
        case kWill:
            answer = agreeable ? kDo : kDont;
            break;
        case kWont:
            answer = kDont;
            break;
        case kDo:
            answer = agreeable ? kWill : kWont;
            break;
        case kDont:
            answer = kWont;
            break;
        case kSb: {
            if (!agreeable || sequence.size() < 4 || sequence[3] != kDigitOne) return 0;
            const char sub[] = {kIacChar, static_cast<char>(kSb), static_cast<char>(option), kDigitZero, kIacChar,
                                kSeChar};
            std::memcpy(reply.data(), sub, sizeof sub);
            return sizeof sub;
        }
        default:
            return 0;
    }
    reply[0] = kIacChar;
    reply[1] = static_cast<char>(answer);
    reply[2] = static_cast<char>(option);
    return 3;
}

Negotiation negotiate(std::string_view received, std::span<char> reply) noexcept {
    Negotiation result;
    const std::string_view text = received.substr(0, received.find('\0'));
    const std::size_t cut = scan(
        text,
        [&](std::string_view bytes, const Sequence& sequence) {
            if (!sequence.answered) return;
            result.found = true;
            std::array<char, kLongestReply> one{};
            const std::size_t length = reply_to(bytes.substr(sequence.start, sequence.length), one);
            if (result.replyLength + length > reply.size()) return;
            std::memcpy(reply.data() + result.replyLength, one.data(), length);
            result.replyLength += length;
        },
        [](std::string_view) {});
    // An option command cut short still counts as negotiation; it has no reply.
    if (cut + 1 < text.size() && is_option_command(byte_at(text, cut + 1))) result.found = true;
    return result;
}

Stream::Taken Stream::take(std::string_view chunk, std::span<char> data, std::span<char> reply) noexcept {
    const std::size_t chunkLength = std::min(chunk.size(), kLongestChunk);
    // Most reads are plain text: nothing carried, no IAC, no NUL to drop.
    const std::string_view plain = chunk.substr(0, chunkLength);
    if (carriedLength_ == 0 && plain.find(static_cast<char>(kIac)) == std::string_view::npos &&
        plain.find('\0') == std::string_view::npos) {
        Taken taken;
        taken.dataLength = std::min(chunkLength, data.size());
        if (taken.dataLength > 0 && data.data() != chunk.data())
            std::memmove(data.data(), chunk.data(), taken.dataLength);
        return taken;
    }
    std::array<char, kMostCarried + kLongestChunk> joined;
    std::memcpy(joined.data(), carried_.data(), carriedLength_);
    std::memcpy(joined.data() + carriedLength_, chunk.data(), chunkLength);
    const std::string_view bytes(joined.data(), carriedLength_ + chunkLength);

    Taken taken;
    auto put_data = [&](std::string_view part) {
        for (char c : part) {
            if (c != '\0' && taken.dataLength < data.size()) data[taken.dataLength++] = c;
        }
    };
    const std::size_t cut = scan(
        bytes,
        [&](std::string_view all, const Sequence& sequence) {
            if (byte_at(all, sequence.start + 1) == kIac) put_data(all.substr(sequence.start, 1));
            if (!sequence.answered) return;
            taken.negotiated = true;
            if (sequence.length == 3 && byte_at(all, sequence.start + 2) == kEcho) {
                const unsigned char command = byte_at(all, sequence.start + 1);
                if (command == kWill || command == kWont) peerEchoes_ = command == kWill;
            }
            if (taken.replyLength + kLongestReply > reply.size()) return;
            taken.replyLength +=
                reply_to(all.substr(sequence.start, sequence.length), reply.subspan(taken.replyLength));
        },
        put_data);
    // A sequence cut off by the end of the chunk waits for the next one; a
    // subnegotiation too long to carry is dropped.
    carriedLength_ = bytes.size() - cut <= kMostCarried ? bytes.size() - cut : 0;
    std::memmove(carried_.data(), bytes.data() + cut, carriedLength_);
    return taken;
}

}  // namespace mpdll::telnet
