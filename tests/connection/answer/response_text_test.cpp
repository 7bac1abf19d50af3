// The response text helpers: the normal form (also written into small
// areas), the "ok" test, the line-end append, the echo-and-prompt cut, and
// the hand-out of the last exchange.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "connection/answer/response_text.h"
#include "connection/last_exchange.h"
#include "mpdll/mpdll.h"
#include "text/buffer_sizes.h"

namespace {

constexpr char kGuard = '#';

struct FormatCase {
    std::string in;
    int32_t outSize;
    std::string expected;
};

TEST(NormalForm, WritesOnlyWhatTheAreaHolds) {
    struct Case {
        std::size_t room;
        const char* text;
        const char* normal;
    };
    const Case cases[] = {
        {0, "a b", ""}, {1, "a b", ""}, {2, " a b", "A"}, {8, "Tx OK: 5\r\n", "TXOK:5"}, {4, "\t\t\tmp_ther", "MP_"},
    };
    for (const Case& c : cases) {
        std::array<char, 16> area;
        area.fill(kGuard);
        const std::size_t length = mpdll::normal_form(c.text, std::span<char>(area).first(c.room));
        EXPECT_EQ(length, std::string(c.normal).size()) << c.text << " in " << c.room;
        if (c.room > 0) {
            EXPECT_STREQ(area.data(), c.normal) << c.text << " in " << c.room;
        }
        for (std::size_t i = c.room; i < area.size(); ++i) ASSERT_EQ(area[i], kGuard) << c.text << " byte " << i;
    }
}

TEST(FormatBuffer, NormalFormTable) {
    const std::vector<FormatCase> cases = {
        {" a b\r\n c\t", 32, "ABC"},
        {"", 8, ""},
        {"Tx OK:5, Tx Fail:0, Rx OK:7, CRC error:1", 64, "TXOK:5,TXFAIL:0,RXOK:7,CRCERROR:1"},
        {"data: 12\a\r\n", 16, "DATA:12\a"},  // BEL stays
        {"caf\xe9 z{}", 16, "CAF\xe9Z{}"},    // only a to z change
        {"abcde", 3, "AB"},                   // cut to fit, terminated
        {"abcde", 1, ""},
        {"  ab", 2, "A"},
    };
    for (const FormatCase& c : cases) {
        std::vector<char> out(static_cast<std::size_t>(c.outSize) + 8, kGuard);
        EXPECT_EQ(FormatBuffer(c.in.c_str(), out.data(), c.outSize), MPDLL_OK);
        EXPECT_EQ(std::string(out.data()), c.expected) << "input \"" << c.in << "\"";
        for (std::size_t i = c.expected.size(); i < static_cast<std::size_t>(c.outSize); ++i)
            EXPECT_EQ(out[i], '\0') << "cleared over its size";
        EXPECT_EQ(out[static_cast<std::size_t>(c.outSize)], kGuard) << "nothing past outSize";
    }
}

TEST(FormatBuffer, KeepsAtMost16383Characters) {
    const std::string in(20000, 'q');
    std::vector<char> out(20000, kGuard);
    EXPECT_EQ(FormatBuffer(in.c_str(), out.data(), 20000), MPDLL_OK);
    EXPECT_EQ(std::strlen(out.data()), 16383u);
}

TEST(FormatBuffer, RejectsNullAndEmptyBuffers) {
    char out[4];
    EXPECT_EQ(FormatBuffer(nullptr, out, 4), MPDLL_E_ARGUMENT);
    EXPECT_EQ(FormatBuffer("a", nullptr, 4), MPDLL_E_ARGUMENT);
    EXPECT_EQ(FormatBuffer("a", out, 0), MPDLL_E_ARGUMENT);
}

TEST(IsBufferOk, LowerCaseOkAnywhere) {
    const std::vector<std::pair<const char*, int32_t>> cases = {
        {"ok", MPDLL_OK},      {"token", MPDLL_OK},    {"set ok\a", MPDLL_OK}, {"OK", MPDLL_E_REPLY},
        {"Ok", MPDLL_E_REPLY}, {"o k", MPDLL_E_REPLY}, {"", MPDLL_E_REPLY},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(IsBufferOk(text), expected) << text;
    EXPECT_EQ(IsBufferOk(nullptr), MPDLL_E_ARGUMENT);
}

struct TrimCase {
    const char* raw;
    const char* command;
    const char* prompt;
    int32_t keepPrompt;
    std::string expected;
};

TEST(FormatReceiveData, CutsTheEchoWhenThereAndThePromptByPosition) {
    const std::vector<TrimCase> cases = {
        {"X\r\n1\r\nP", "X", "P", 0, "\r\n1\r\n"},
        {"X\r\n1\r\nP", "X", "P", 1, "\r\n1\r\nP"},
        {"X\r\n1\r\nP", "X", "P", 0x201, "\r\n1\r\nP"},  // only the low 8 bits count
        {"X\r\n1\r\nP", "X", "P", 2, "\r\n1\r\n"},
        {"ab", "abc", "#", 0, "ab"},  // shorter than command plus prompt: whole
        {"abc", "abc", "# ", 0, "abc"},
        {"abc# ", "abc", "# ", 0, ""},
        {"ls\r\nfile\r\n", "ls", "", 0, "\r\nfile\r\n"},
        // A board that echoes nothing keeps the start of its output.
        {"1\r\nP", "X", "P", 0, "1\r\n"},
        {"chipVersion: b\r\n# ", "cat /proc/wlan0/mib_rf | grep chipVersion", "# ", 0, "chipVersion: b\r\n"},
    };
    for (const TrimCase& c : cases) {
        std::vector<char> out(64, '\0');
        EXPECT_EQ(FormatReceiveData(c.raw, c.command, c.prompt, out.data(), c.keepPrompt), MPDLL_OK);
        EXPECT_EQ(std::string(out.data()), c.expected) << c.raw << " keep " << c.keepPrompt;
    }
    char out[4];
    EXPECT_EQ(FormatReceiveData(nullptr, "a", "b", out, 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(FormatReceiveData("a", "a", "b", nullptr, 0), MPDLL_E_ARGUMENT);
}

struct GetBufferCase {
    int32_t sentSize, receivedSize;
    std::string sent, received;
};

TEST(GetBuffer, HandsOutTheLastExchangeAlwaysTerminated) {
    mpdll::last_exchange::record_sent("0123456789");
    mpdll::last_exchange::record_received("answer text");
    const std::vector<GetBufferCase> cases = {
        {4, 7, "012", "answer"},
        {11, 12, "0123456789", "answer text"},
        {5000, 20000, "0123456789", "answer text"},
        {1, 1, "", ""},
    };
    for (const GetBufferCase& c : cases) {
        std::vector<char> sent(static_cast<std::size_t>(c.sentSize) + 1, kGuard);
        std::vector<char> received(static_cast<std::size_t>(c.receivedSize) + 1, kGuard);
        EXPECT_EQ(GetBuffer(nullptr, sent.data(), c.sentSize, received.data(), c.receivedSize), MPDLL_OK);
        EXPECT_EQ(std::string(sent.data()), c.sent);
        EXPECT_EQ(std::string(received.data()), c.received);
        EXPECT_EQ(sent.back(), kGuard);
        EXPECT_EQ(received.back(), kGuard);
    }
    char buffer[8];
    EXPECT_EQ(GetBuffer(nullptr, nullptr, 8, buffer, 8), MPDLL_E_ARGUMENT);
    EXPECT_EQ(GetBuffer(nullptr, buffer, 0, buffer, 8), MPDLL_E_ARGUMENT);
    EXPECT_EQ(GetBuffer(nullptr, buffer, 8, nullptr, 8), MPDLL_E_ARGUMENT);
    EXPECT_EQ(GetBuffer(nullptr, buffer, 8, buffer, 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(GetBuffer(nullptr, buffer, 8, buffer, -1), MPDLL_E_ARGUMENT);
}

TEST(LastExchange, LongTextsAreCutToTheirAreas) {
    mpdll::last_exchange::record_sent(std::string(5000, 's'));
    mpdll::last_exchange::record_received(std::string(20000, 'r'));
    std::vector<char> sent(5000), received(20000);
    GetBuffer(nullptr, sent.data(), 5000, received.data(), 20000);
    EXPECT_EQ(std::strlen(sent.data()), 2047u);
    EXPECT_EQ(std::strlen(received.data()), 16383u);
}

TEST(DevTimeout, StoresAnyValueAndPassesTheRecordThrough) {
    auto dev = std::make_unique<DevContext>();
    for (int32_t value : {5000, 0, -1, 123456}) {
        EXPECT_EQ(DevTimeout(dev.get(), value), dev.get());
        EXPECT_EQ(dev->cmdTimeout, value);
    }
    EXPECT_EQ(DevTimeout(nullptr, 10), nullptr);
}

}  // namespace
