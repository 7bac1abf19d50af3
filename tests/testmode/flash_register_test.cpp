// Flash parameters and RF registers against the in-process scripted board:
// the board's own lines, the UDP two-step read, and what each answer form
// yields.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/scripted_board.h"

namespace {

using mpdll::test::ScriptedBoard;
using Lines = std::vector<std::string>;

constexpr uint32_t kUntouched = 0xDEADBEEFu;

// A UDP board that acknowledges `command` with `ack` and answers "flash read"
// with `data`.
void udp_answers(ScriptedBoard& board, std::string command, std::string ack, std::string data) {
    board.respond([=](std::string_view line) { return line == "flash read" ? data : line == command ? ack : "?"; });
}

TEST(FlashGet, ShellAnswerForms) {
    struct Case {
        const char* answer;
        int32_t status;
        const char* value;  // what valueOut holds afterwards
    } cases[] = {
        {"HW_TX_POWER=0a0b0c\r\n", MPDLL_OK, "0a0b0c"},
        {"ANY_OTHER_NAME=  12\t34\r\n", MPDLL_OK, "12"},  // the name is not compared
        {"no equals sign\r\n", MPDLL_E_REPLY, "keep"},
        {"NAME=\r\n", MPDLL_E_REPLY, "keep"},  // nothing after "="
        {"", MPDLL_E_REPLY, "keep"},
    };
    for (const auto& c : cases) {
        ScriptedBoard board(MPDLL_MODE_TELNET);
        board.respond([&](std::string_view) { return std::string(c.answer); });
        char value[64] = "keep";
        EXPECT_EQ(c.status, FlashGet(&board.dev(), "HW_TX_POWER", value)) << c.answer;
        EXPECT_STREQ(c.value, value) << c.answer;
        EXPECT_EQ(Lines{"flash get HW_TX_POWER"}, board.sent());
    }
}

TEST(FlashGet, UdpTwoStepReadForms) {
    struct Case {
        const char* name;
        const char* ack;
        const char* data;
        int32_t status;
        const char* value;
        bool readSent;
    } cases[] = {
        {"HW_TX_POWER", "ok", "data:HW_TX_POWER=0a0b0c\a", MPDLL_OK, "0a0b0c", true},
        {"HW_TX_POWER", "ok", "data:HW_TX_POWER= 0a0b0c \a", MPDLL_OK, "0a0b0c", true},
        {"HW_TX_POWER", "ok", "data:HW_TX_POWER=0a0b0c", MPDLL_OK, "0a0b0c", true},  // BEL not required
        {"A%sB", "ok", "data:A%sB=5\a", MPDLL_OK, "5", true},                        // name taken literally
        {"HW_TX_POWER", "ok", "data:HW_RX_POWER=0a0b0c\a", MPDLL_E_REPLY, "keep", true},
        {"HW_TX", "ok", "data:HW_TX_POWER=0a0b0c\a", MPDLL_E_REPLY, "keep", true},
        {"HW_TX_POWER", "ok", "HW_TX_POWER=0a0b0c\a", MPDLL_E_REPLY, "keep", true},
        {"HW_TX_POWER", "ok", "data:HW_TX_POWER=\a", MPDLL_E_REPLY, "keep", true},
        {"HW_TX_POWER", "failed", "data:HW_TX_POWER=0a0b0c\a", MPDLL_E_REPLY, "keep", false},
        {"HW_TX_POWER", "OK", "data:HW_TX_POWER=0a0b0c\a", MPDLL_E_REPLY, "keep", false},
    };
    for (const auto& c : cases) {
        ScriptedBoard board(MPDLL_MODE_UDP);
        const std::string command = "flash get " + std::string(c.name);
        udp_answers(board, command, c.ack, c.data);
        char value[64] = "keep";
        EXPECT_EQ(c.status, FlashGet(&board.dev(), c.name, value)) << c.data;
        EXPECT_STREQ(c.value, value) << c.data;
        const Lines expected = c.readSent ? Lines{command, "flash read"} : Lines{command};
        EXPECT_EQ(expected, board.sent()) << c.ack;
    }
}

TEST(FlashSet, SendsTheLineAndIgnoresTheAnswer) {
    ScriptedBoard board(MPDLL_MODE_TELNET);
    board.respond([](std::string_view) { return std::string("flash: write error\r\n"); });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(MPDLL_OK, FlashSet(&board.dev(), "HW_TX_POWER", "0a 0b"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450))
        << "the board is given 500 ms to write its flash";
    EXPECT_EQ(Lines{"flash set HW_TX_POWER 0a 0b"}, board.sent());
}

TEST(FlashSet, ReturnsTheStatusOfAFailedExchange) {
    ScriptedBoard board(MPDLL_MODE_TELNET);
    board.dev().mode = 0;
    EXPECT_EQ(MPDLL_E_MODE, FlashSet(&board.dev(), "HW_TX_POWER", "0a"));
}

TEST(FlashAndRegisters, LinesGetNoNameSubstitution) {
    ScriptedBoard board(MPDLL_MODE_TELNET);
    std::strcpy(board.dev().ifName, "ath9");
    std::strcpy(board.dev().toolPath, "/bin/mptool");
    board.respond([](std::string_view) { return std::string("wlan0     read_rf:1 2 3 4\r\n"); });
    char value[64];
    uint32_t reg = 0;
    FlashGet(&board.dev(), "wlan0_iwpriv", value);
    FlashSet(&board.dev(), "wlan0_iwpriv", "1");
    EXPECT_EQ(MPDLL_OK, RegisterGet(&board.dev(), 0, 36, &reg));
    EXPECT_EQ(MPDLL_OK, RegisterSet(&board.dev(), 1, 12, 0x3FF));
    EXPECT_EQ((Lines{"flash get wlan0_iwpriv", "flash set wlan0_iwpriv 1", "irf 0 36", "orf 1 12 3ff"}), board.sent());
}

TEST(RegisterGet, ShellAnswerForms) {
    struct Case {
        const char* answer;
        int32_t status;
        uint32_t value;
    } cases[] = {
        {"wlan0     read_rf:1  2  3  4\r\n", MPDLL_OK, 0x01020304u},
        {"x:255 255 255 255", MPDLL_OK, 0xFFFFFFFFu},
        {"x:0 0 256 0", MPDLL_OK, 0x00010000u},  // not masked: reaches into the second number's byte
        {"x:0 0 0 -1", MPDLL_OK, 0xFFFFFFFFu},
        {"x:511 0 0 2", MPDLL_OK, 0xFF000002u},  // bits shifted past 32 are lost
        {"x:1 2 3", MPDLL_E_REPLY, kUntouched},
        {"read_rf 1 2 3 4", MPDLL_E_REPLY, kUntouched},
    };
    for (const auto& c : cases) {
        ScriptedBoard board(MPDLL_MODE_TELNET);
        board.respond([&](std::string_view) { return std::string(c.answer); });
        uint32_t reg = kUntouched;
        EXPECT_EQ(c.status, RegisterGet(&board.dev(), 0, 36, &reg)) << c.answer;
        EXPECT_EQ(c.value, reg) << c.answer;
    }
}

TEST(RegisterGet, UdpTwoStepReadForms) {
    struct Case {
        const char* ack;
        const char* data;
        int32_t status;
        uint32_t value;
        bool readSent;
    } cases[] = {
        {"ok", "data:wlan0     read_rf:1  2  3  4  \a", MPDLL_OK, 0x01020304u, true},
        {"ok", "data:wlan0 read_rf:1\n2 3 4", MPDLL_OK, 0x01020304u, true},
        {"ok", "data:wlan0read_rf:0  0  256  0", MPDLL_OK, 0x00010000u, true},
        {"ok", "data:wlan1     read_rf:1  2  3  4  \a", MPDLL_E_REPLY, kUntouched, true},
        {"ok", "data:wlan0     read_rf:1  2  3  \a", MPDLL_E_REPLY, kUntouched, true},
        {"no", "data:wlan0     read_rf:1  2  3  4  \a", MPDLL_E_REPLY, kUntouched, false},
    };
    for (const auto& c : cases) {
        ScriptedBoard board(MPDLL_MODE_UDP);
        std::strcpy(board.dev().ifName, "wlan1");  // the answer names wlan0 whatever the interface
        udp_answers(board, "irf 3 4", c.ack, c.data);
        uint32_t reg = kUntouched;
        EXPECT_EQ(c.status, RegisterGet(&board.dev(), 3, 4, &reg)) << c.data;
        EXPECT_EQ(c.value, reg) << c.data;
        const Lines expected = c.readSent ? Lines{"irf 3 4", "flash read"} : Lines{"irf 3 4"};
        EXPECT_EQ(expected, board.sent()) << c.data;
    }
}

TEST(RegisterSet, WritesTheValueInLowerCaseHex) {
    struct Case {
        int32_t sel1, sel2;
        uint32_t value;
        const char* line;
    } cases[] = {{1, 12, 0x3FF, "orf 1 12 3ff"},
                 {0, 0, 0, "orf 0 0 0"},
                 {-1, 2147483647, 0xFFFFFFFFu, "orf -1 2147483647 ffffffff"},
                 {7, 8, 0x00ABCDEFu, "orf 7 8 abcdef"}};
    for (const auto& c : cases) {
        ScriptedBoard board(MPDLL_MODE_TELNET);
        board.respond([](std::string_view) { return std::string("error\r\n"); });
        EXPECT_EQ(MPDLL_OK, RegisterSet(&board.dev(), c.sel1, c.sel2, c.value));
        EXPECT_EQ(Lines{c.line}, board.sent());
    }
}

TEST(RegisterSet, UdpNeedsOk) {
    for (const auto& [reply, status] : {std::pair{"ok", MPDLL_OK}, std::pair{"OK", MPDLL_E_REPLY}}) {
        ScriptedBoard board(MPDLL_MODE_UDP);
        board.respond([reply = std::string(reply)](std::string_view) { return reply; });
        EXPECT_EQ(status, RegisterSet(&board.dev(), 1, 2, 3)) << reply;
        EXPECT_EQ(Lines{"orf 1 2 3"}, board.sent());
    }
}

TEST(FlashAndRegisters, NullArgumentsAndOverlongLinesSendNothing) {
    ScriptedBoard board(MPDLL_MODE_TELNET);
    DevContext& dev = board.dev();
    char value[16] = "keep";
    uint32_t reg = kUntouched;
    const std::string longName(2040, 'N');  // "flash get " + name does not fit 2047 characters
    EXPECT_EQ(MPDLL_E_ARGUMENT, FlashGet(nullptr, "N", value));
    EXPECT_EQ(MPDLL_E_ARGUMENT, FlashGet(&dev, nullptr, value));
    EXPECT_EQ(MPDLL_E_ARGUMENT, FlashGet(&dev, "N", nullptr));
    EXPECT_EQ(MPDLL_E_ARGUMENT, FlashGet(&dev, longName.c_str(), value));
    EXPECT_EQ(MPDLL_E_ARGUMENT, FlashSet(nullptr, "N", "1"));
    EXPECT_EQ(MPDLL_E_ARGUMENT, FlashSet(&dev, nullptr, "1"));
    EXPECT_EQ(MPDLL_E_ARGUMENT, FlashSet(&dev, "N", nullptr));
    EXPECT_EQ(MPDLL_E_ARGUMENT, FlashSet(&dev, "N", longName.c_str()));
    EXPECT_EQ(MPDLL_E_ARGUMENT, RegisterGet(nullptr, 0, 0, &reg));
    EXPECT_EQ(MPDLL_E_ARGUMENT, RegisterGet(&dev, 0, 0, nullptr));
    EXPECT_EQ(MPDLL_E_ARGUMENT, RegisterSet(nullptr, 0, 0, 0));
    dev.mode = 3;  // a record of no known mode: each refused before anything is sent
    EXPECT_EQ(MPDLL_E_MODE, FlashGet(&dev, "N", value));
    EXPECT_EQ(MPDLL_E_MODE, FlashSet(&dev, "N", "1"));
    EXPECT_EQ(MPDLL_E_MODE, RegisterGet(&dev, 0, 0, &reg));
    EXPECT_EQ(MPDLL_E_MODE, RegisterSet(&dev, 0, 0, 0));
    EXPECT_TRUE(board.sent().empty());
    EXPECT_STREQ("keep", value);
    EXPECT_EQ(kUntouched, reg);
}

}  // namespace
