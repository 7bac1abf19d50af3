// TelnetNegotiate and TelnetReplay on any bytes a telnet peer may send.
// The received bytes sit in a block of exactly receivedSize bytes with no
// terminator, and the reply block holds exactly 6 bytes per IAC, so ASan
// catches a read past the data or a write past the reply. Every reply must
// be well formed: we only ever agree to ECHO and SUPPRESS-GO-AHEAD.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/fuzz_check.h"

namespace {

constexpr unsigned char kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;

bool agreed(unsigned char option) { return option == 1 || option == 3; }

// Walks a reply and checks each sequence in it; returns the number of sequences.
std::size_t check_reply(const unsigned char* reply, std::size_t length) {
    std::size_t sequences = 0;
    std::size_t i = 0;
    while (i < length) {
        FUZZ_CHECK(i + 3 <= length);
        FUZZ_CHECK(reply[i] == kIac);
        const unsigned char command = reply[i + 1];
        const unsigned char option = reply[i + 2];
        if (command == kSb) {
            FUZZ_CHECK(i + 6 <= length);
            FUZZ_CHECK(agreed(option));
            FUZZ_CHECK(reply[i + 3] == '0' && reply[i + 4] == kIac && reply[i + 5] == kSe);
            i += 6;
        } else {
            FUZZ_CHECK(command == kDo || command == kDont || command == kWill || command == kWont);
            if (command == kDo || command == kWill) {
                FUZZ_CHECK(agreed(option));
            }
            i += 3;
        }
        ++sequences;
    }
    return sequences;
}

// The reply table for one sequence.
std::string expected_replay(const unsigned char* sequence, std::size_t length) {
    if (length < 3) {
        return {};
    }
    const unsigned char command = sequence[1], option = sequence[2];
    auto reply = [&](unsigned char answer) { return std::string{char(kIac), char(answer), char(option)}; };
    switch (command) {
        case kWill:
            return reply(agreed(option) ? kDo : kDont);
        case kWont:
            return reply(kDont);
        case kDo:
            return reply(agreed(option) ? kWill : kWont);
        case kDont:
            return reply(kWont);
        case kSb:
            if (agreed(option) && length >= 4 && sequence[3] == '1') {
                return std::string{char(kIac), char(kSb), char(option), '0', char(kIac), char(kSe)};
            }
            return {};
        default:
            return {};
    }
}

void fuzz_negotiate(const std::vector<std::uint8_t>& received) {
    std::size_t iacs = 0;
    bool seenIac = false;
    for (const std::uint8_t byte : received) {
        if (byte == 0) {
            break;
        }
        if (byte == kIac) {
            ++iacs;
            seenIac = true;
        }
    }
    mpdll::fuzzing::ExactBuffer in(received.size());
    if (!received.empty()) {
        std::memcpy(in.data(), received.data(), received.size());
    }
    const std::size_t replyCapacity = 6 * iacs;
    mpdll::fuzzing::ExactBuffer reply(replyCapacity);
    std::int32_t replyLength = -1;
    const std::int32_t found =
        TelnetNegotiate(in.data(), static_cast<std::int32_t>(received.size()), reply.data(), &replyLength);

    FUZZ_CHECK(found == 0 || found == 1);
    FUZZ_CHECK(replyLength >= 0 && static_cast<std::size_t>(replyLength) <= replyCapacity);
    if (!seenIac) {
        FUZZ_CHECK(found == 0 && replyLength == 0);
    }
    if (found == 0) {
        FUZZ_CHECK(replyLength == 0);
    }
    const std::size_t sequences =
        check_reply(reinterpret_cast<const unsigned char*>(reply.data()), static_cast<std::size_t>(replyLength));
    FUZZ_CHECK(sequences <= iacs);
}

void fuzz_replay(const std::vector<std::uint8_t>& sequence) {
    mpdll::fuzzing::ExactBuffer in(sequence.size());
    if (!sequence.empty()) {
        std::memcpy(in.data(), sequence.data(), sequence.size());
    }
    mpdll::fuzzing::ExactBuffer reply(6);
    std::int32_t replyLength = -1;
    FUZZ_CHECK(TelnetReplay(in.data(), static_cast<std::int32_t>(sequence.size()), reply.data(), &replyLength) == 0);
    const std::string expected = expected_replay(sequence.data(), sequence.size());
    FUZZ_CHECK(replyLength == static_cast<std::int32_t>(expected.size()));
    FUZZ_CHECK(std::memcmp(reply.data(), expected.data(), expected.size()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool replayOnly = input.ConsumeBool();
    const std::vector<std::uint8_t> bytes = input.ConsumeRemainingBytes<std::uint8_t>();
    if (replayOnly) {
        fuzz_replay(bytes);
    } else {
        fuzz_negotiate(bytes);
    }
    return 0;
}
