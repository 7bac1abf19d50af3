// The telnet negotiation: the reply table of TelnetReplay and the scan of
// TelnetNegotiate, byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connection/telnet/telnet_negotiation.h"
#include "mpdll/mpdll.h"

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (int v : values) text.push_back(static_cast<char>(v));
    return text;
}

constexpr int IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;

struct ReplayCase {
    std::string sequence, reply;
};

TEST(TelnetReplay, ReplyTable) {
    const std::vector<ReplayCase> cases = {
        {bytes({IAC, WILL, 1}), bytes({IAC, DO, 1})},
        {bytes({IAC, WILL, 3}), bytes({IAC, DO, 3})},
        {bytes({IAC, WILL, 31}), bytes({IAC, DONT, 31})},
        {bytes({IAC, WONT, 1}), bytes({IAC, DONT, 1})},
        {bytes({IAC, WONT, 24}), bytes({IAC, DONT, 24})},
        {bytes({IAC, DO, 1}), bytes({IAC, WILL, 1})},
        {bytes({IAC, DO, 3}), bytes({IAC, WILL, 3})},
        {bytes({IAC, DO, 24}), bytes({IAC, WONT, 24})},
        {bytes({IAC, DONT, 3}), bytes({IAC, WONT, 3})},
        {bytes({IAC, DONT, 5}), bytes({IAC, WONT, 5})},
        {bytes({IAC, SB, 1, '1'}), bytes({IAC, SB, 1, '0', IAC, SE})},
        {bytes({IAC, SB, 3, '1', IAC}), bytes({IAC, SB, 3, '0', IAC, SE})},
        {bytes({IAC, SB, 24, '1', IAC}), ""},  // refused option: no reply
        {bytes({IAC, SB, 1, '2'}), ""},
        {bytes({IAC, SB, 1}), ""},   // no fourth byte
        {bytes({IAC, 241, 1}), ""},  // not a negotiation command
        {bytes({IAC, DO}), ""},      // shorter than 3 bytes
        {"", ""},
    };
    for (const ReplayCase& c : cases) {
        char reply[8] = {};
        int32_t length = -1;
        EXPECT_EQ(TelnetReplay(c.sequence.data(), static_cast<int32_t>(c.sequence.size()), reply, &length), MPDLL_OK);
        EXPECT_EQ(std::string(reply, static_cast<std::size_t>(length)), c.reply) << testing::PrintToString(c.sequence);
    }
    char reply[8];
    int32_t length;
    const char sequence[] = "\xff\xfd\x01";
    EXPECT_EQ(TelnetReplay(nullptr, 3, reply, &length), MPDLL_E_ARGUMENT);
    EXPECT_EQ(TelnetReplay(sequence, 3, nullptr, &length), MPDLL_E_ARGUMENT);
    EXPECT_EQ(TelnetReplay(sequence, 3, reply, nullptr), MPDLL_E_ARGUMENT);
    EXPECT_EQ(TelnetNegotiate(nullptr, 3, reply, &length), MPDLL_E_ARGUMENT);
    EXPECT_EQ(TelnetNegotiate(sequence, 3, nullptr, &length), MPDLL_E_ARGUMENT);
    EXPECT_EQ(TelnetNegotiate(sequence, 3, reply, nullptr), MPDLL_E_ARGUMENT);
}

struct NegotiateCase {
    const char* name;
    std::string received;
    int32_t found;
    std::string reply;
};

TEST(TelnetNegotiate, ScanTable) {
    const std::vector<NegotiateCase> cases = {
        {"DO ECHO, WILL SGA", bytes({IAC, DO, 1, IAC, WILL, 3}), 1, bytes({IAC, WILL, 1, IAC, DO, 3})},
        {"text before and between", "Welcome\r\n" + bytes({IAC, DO, 24}) + "x" + bytes({IAC, WILL, 31}), 1,
         bytes({IAC, WONT, 24, IAC, DONT, 31})},
        {"no IAC", "login: ", 0, ""},
        {"empty", "", 0, ""},
        {"IAC IAC is data", bytes({'a', IAC, IAC, WILL, 1}), 0, ""},
        {"IAC IAC then a sequence", bytes({IAC, IAC, IAC, DO, 3}), 1, bytes({IAC, WILL, 3})},
        {"other command", bytes({IAC, 241, IAC, DO, 1}), 1, bytes({IAC, WILL, 1})},
        {"SB answered, scan goes on after SE", bytes({IAC, SB, 1, '1', IAC, SE, IAC, DO, 24}), 1,
         bytes({IAC, SB, 1, '0', IAC, SE, IAC, WONT, 24})},
        {"SB refused still counts", bytes({IAC, SB, 24, '1', IAC, SE}), 1, ""},
        {"SB without SE ends the scan", bytes({IAC, DO, 1, IAC, SB, 24, '1', IAC, DO, 3}), 1, bytes({IAC, WILL, 1})},
        {"sequence cut at the end", bytes({IAC, DO, 1, IAC, WILL}), 1, bytes({IAC, WILL, 1})},
        {"lone IAC at the end", bytes({'x', IAC}), 0, ""},
        {"scan ends at NUL", std::string("a\0", 2) + bytes({IAC, DO, 1}), 0, ""},
    };
    for (const NegotiateCase& c : cases) {
        char reply[64] = {};
        int32_t length = -1;
        EXPECT_EQ(TelnetNegotiate(c.received.data(), static_cast<int32_t>(c.received.size()), reply, &length), c.found)
            << c.name;
        EXPECT_EQ(std::string(reply, static_cast<std::size_t>(length)), c.reply) << c.name;
    }
}

TEST(TelnetNegotiate, ScanStopsAtReceivedSize) {
    const std::string received = bytes({IAC, DO, 1, IAC, DO, 3});
    char reply[16] = {};
    int32_t length = 0;
    EXPECT_EQ(TelnetNegotiate(received.data(), 3, reply, &length), 1);
    EXPECT_EQ(std::string(reply, static_cast<std::size_t>(length)), bytes({IAC, WILL, 1}));
    EXPECT_EQ(TelnetNegotiate(received.data(), 0, reply, &length), 0);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(TelnetNegotiate(received.data(), 6, nullptr, &length), MPDLL_E_ARGUMENT);
}

TEST(TelnetNegotiate, InternalReplyIsBoundedByItsArea) {
    const std::string received = bytes({IAC, DO, 1, IAC, DO, 3, IAC, DO, 24});
    std::vector<char> reply(7, '#');
    const auto result = mpdll::telnet::negotiate(received, std::span<char>(reply.data(), 6));
    EXPECT_TRUE(result.found);
    EXPECT_EQ(result.replyLength, 6u);
    EXPECT_EQ(reply[6], '#');
}

// The login's stream reader: options read before NUL bytes go, data with the
// commands and NULs left out, sequences cut at a chunk's end completed by
// the next chunk.
struct StreamCase {
    const char* name;
    std::vector<std::string> chunks;
    std::string data, reply;
};

TEST(TelnetStream, ReadsOptionsAndDataAcrossChunks) {
    const std::vector<StreamCase> cases = {
        {"commands_left_out",
         {"ab" + bytes({IAC, DO, 1}) + "cd" + bytes({IAC, SB, 24, 1, IAC, SE}) + "e" + bytes({IAC, IAC}) + "f" +
          bytes({IAC, 241}) + "g"},
         "abcde" + bytes({IAC}) + "fg",
         bytes({IAC, WILL, 1})},
        {"binary_option_then_echo", {bytes({IAC, DO, 0, IAC, WILL, 1})}, "", bytes({IAC, WONT, 0, IAC, DO, 1})},
        {"cr_nul_line_end", {std::string("root\r\0Password: ", 16)}, "root\rPassword: ", ""},
        {"iac_alone_at_the_end", {"x" + bytes({IAC}), bytes({DO, 1}) + "y"}, "xy", bytes({IAC, WILL, 1})},
        {"option_byte_in_next_chunk", {bytes({IAC, WILL}), bytes({3}) + "login: "}, "login: ", bytes({IAC, DO, 3})},
        {"subnegotiation_split",
         {bytes({IAC, SB, 1, '1'}), bytes({IAC, SE}) + "z"},
         "z",
         bytes({IAC, SB, 1, '0', IAC, SE})},
        {"escaped_data_byte_split", {"a" + bytes({IAC}), bytes({IAC}) + "b"}, "a" + bytes({IAC}) + "b", ""},
        {"plain_text", {"XCAP=32\r\n", "# "}, "XCAP=32\r\n# ", ""},
        {"plain_text_after_a_cut_sequence", {"a" + bytes({IAC, DO}), bytes({1}), "plain"}, "aplain", bytes({IAC, WILL, 1})},
    };
    for (const StreamCase& c : cases) {
        mpdll::telnet::Stream stream;
        std::string data, reply;
        for (const std::string& chunk : c.chunks) {
            char dataOut[64], replyOut[64];
            const auto taken = stream.take(chunk, dataOut, replyOut);
            data.append(dataOut, taken.dataLength);
            reply.append(replyOut, taken.replyLength);
        }
        EXPECT_EQ(data, c.data) << c.name;
        EXPECT_EQ(reply, c.reply) << c.name;
    }
}

// Plain text is decoded where it was read (the receive's own area) and
// never past a smaller data area.
TEST(TelnetStream, DecodesPlainTextInPlaceAndWithinItsArea) {
    mpdll::telnet::Stream inPlace;
    char area[] = "flash get XCAP\r\nXCAP=32\r\n# ";
    const std::string_view read(area, sizeof area - 1);
    char reply[8];
    const auto taken = inPlace.take(read, std::span<char>(area, sizeof area - 1), reply);
    EXPECT_EQ(std::string_view(area, taken.dataLength), "flash get XCAP\r\nXCAP=32\r\n# ");

    mpdll::telnet::Stream small;
    char data[5] = {'#', '#', '#', '#', '#'};
    const auto cut = small.take("abcdefgh", std::span<char>(data, 4), reply);
    EXPECT_EQ(std::string_view(data, cut.dataLength), "abcd");
    EXPECT_EQ(data[4], '#');
}

TEST(TelnetStream, KeepsWithinItsAreas) {
    mpdll::telnet::Stream stream;
    const std::string chunk = "abcdef" + bytes({IAC, DO, 1, IAC, DO, 3});
    char data[5] = {'#', '#', '#', '#', '#'}, reply[5] = {'#', '#', '#', '#', '#'};
    const auto taken = stream.take(chunk, std::span<char>(data, 4), std::span<char>(reply, 4));
    EXPECT_TRUE(taken.negotiated);
    EXPECT_EQ(taken.dataLength, 4u);
    EXPECT_EQ(taken.replyLength, 0u) << "a reply that does not fit whole is not written";
    EXPECT_EQ(data[4], '#');
    EXPECT_EQ(reply[4], '#');
}

}  // namespace
