// The telnet option negotiation as a pure function of the received bytes.
#include "connection/telnet_negotiation.h"

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
    bool complete = true;  // false: an SB without its SE, the scan stops
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
        const std::size_t length = std::min<std::size_t>(3, text.size() - iac);
        return {iac, length, iac + length, true, true};
    }
    return {iac, 2, iac + 2, false, true};  // IAC IAC or another command: no reply
}

// Calls visit(sequence) for each sequence and data(part) for the text between.
template <typename OnSequence, typename OnData>
void scan(std::string_view received, OnSequence visit, OnData data) {
    const std::string_view text = received.substr(0, received.find('\0'));
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t iac = text.find(kIacChar, at);
        if (iac == std::string_view::npos || iac + 1 >= text.size()) {
            data(text.substr(at, iac == std::string_view::npos ? std::string_view::npos : iac - at));
            return;
        }
        data(text.substr(at, iac - at));
        const Sequence sequence = sequence_at(text, iac);
        visit(text, sequence);
        if (!sequence.complete) return;
        at = sequence.resume;
    }
}

}  // namespace

std::size_t reply_to(std::string_view sequence, std::span<char> reply) noexcept {
    if (sequence.size() < 3 || reply.size() < kLongestReply) return 0;
    const unsigned char command = byte_at(sequence, 1), option = byte_at(sequence, 2);
    const bool agreeable = option == kEcho || option == kSuppressGoAhead;
    unsigned char answer = 0;
    switch (command) {
        case kWill: answer = agreeable ? kDo : kDont; break;
        case kWont: answer = kDont; break;
        case kDo: answer = agreeable ? kWill : kWont; break;
        case kDont: answer = kWont; break;
        case kSb: {
            if (!agreeable || sequence.size() < 4 || sequence[3] != kDigitOne) return 0;
            const char sub[] = {kIacChar, static_cast<char>(kSb), static_cast<char>(option), kDigitZero, kIacChar, kSeChar};
            std::memcpy(reply.data(), sub, sizeof sub);
            return sizeof sub;
        }
        default: return 0;
    }
    reply[0] = kIacChar;
    reply[1] = static_cast<char>(answer);
    reply[2] = static_cast<char>(option);
    return 3;
}

Negotiation negotiate(std::string_view received, std::span<char> reply) noexcept {
    Negotiation result;
    scan(
        received,
        [&](std::string_view text, const Sequence& sequence) {
            if (!sequence.answered) return;
            result.found = true;
            std::array<char, kLongestReply> one{};
            const std::size_t length = reply_to(text.substr(sequence.start, sequence.length), one);
            if (result.replyLength + length > reply.size()) return;
            std::memcpy(reply.data() + result.replyLength, one.data(), length);
            result.replyLength += length;
        },
        [](std::string_view) {});
    return result;
}

std::size_t data_text(std::string_view received, std::span<char> out) noexcept {
    if (out.empty()) return 0;
    std::size_t length = 0;
    auto put = [&](std::string_view part) {
        const std::size_t kept = std::min(part.size(), out.size() - 1 - length);
        std::memcpy(out.data() + length, part.data(), kept);
        length += kept;
    };
    scan(
        received,
        [&](std::string_view text, const Sequence& sequence) {
            if (byte_at(text, sequence.start + 1) == kIac) put(text.substr(sequence.start, 1));
        },
        put);
    out[length] = '\0';
    return length;
}

}  // namespace mpdll::telnet
