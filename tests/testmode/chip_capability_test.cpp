// The chip capability queries over telnet and UDP: the lines sent, how the
// value is picked out, and that the caller's buffer is written only with a
// value.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/scripted_board.h"

namespace {

using mpdll::test::ScriptedBoard;
using Query = int32_t (*)(DevContext*, char*);

struct Case {
    const char* name;
    Query query;
    int mode;
    std::string answer;      // telnet: the output; UDP: the "flash read" reply
    std::string firstReply;  // UDP only: the reply to the query line
    int32_t status;
    const char* value;  // "unset" when the buffer must not be written
};

const char* kHwLine = "cat /proc/wlan1/mib_rf | grep MIMO_TR_hw_support";
const char* kVersionLine = "cat /proc/wlan1/mib_rf | grep chipVersion";

TEST(ChipCapability, ValuesByModeAndForm) {
    const Case cases[] = {
        {"hw telnet", GetHwSupport, 2, "MIMO_TR_hw_support:2\r\n", "", MPDLL_OK, "2"},
        {"hw telnet blanks", GetHwSupport, 2, "    MIMO_TR_hw_support: 1   \r\n", "", MPDLL_OK, "1"},
        {"hw telnet two lines", GetHwSupport, 2, "a: 1x\r\nb: 2t\r\n", "", MPDLL_OK, "1XB:2T"},
        {"hw telnet no colon", GetHwSupport, 2, "nothing here", "", MPDLL_E_REPLY, "unset"},
        {"hw telnet empty", GetHwSupport, 2, "", "", MPDLL_E_REPLY, "unset"},
        {"version telnet", GetChipVersion, 2, "  chipVersion: b-cut 2\r\n", "", MPDLL_OK, "B-CUT2"},
        {"version telnet other first line", GetChipVersion, 2, "x:1\r\nchipVersion:b\r\n", "", MPDLL_E_REPLY, "unset"},
        {"version udp", GetChipVersion, 1, "data: chipVersion:b\n\a", "ok", MPDLL_OK, "b"},
        {"version udp bel right after", GetChipVersion, 1, "data:    chipVersion:Cv2\a", "ok", MPDLL_OK, "Cv2"},
        {"hw udp bel right after", GetHwSupport, 1, "data:MIMO_TR_hw_support:2\a", "token", MPDLL_OK, "2"},
        {"hw udp wrong key", GetHwSupport, 1, "data: mimo_tr_hw_support:2\a", "ok", MPDLL_E_REPLY, "unset"},
        {"hw udp nothing after key", GetHwSupport, 1, "data: MIMO_TR_hw_support:\a", "ok", MPDLL_E_REPLY, "unset"},
    };
    for (const Case& c : cases) {
        ScriptedBoard board(c.mode);
        std::strcpy(board.dev().ifName, "wlan1");
        board.respond([&](std::string_view line) {
            return line == "flash read" ? c.answer : c.mode == 1 ? c.firstReply : c.answer;
        });
        std::array<char, 64> value{};
        std::strcpy(value.data(), "unset");
        EXPECT_EQ(c.query(&board.dev(), value.data()), c.status) << c.name;
        EXPECT_STREQ(value.data(), c.value) << c.name;
        const std::string line = c.query == GetHwSupport ? kHwLine : kVersionLine;
        const std::vector<std::string> expected =
            c.mode == 1 ? std::vector<std::string>{line, "flash read"} : std::vector<std::string>{line};
        EXPECT_EQ(board.sent(), expected) << c.name;
    }
}

TEST(ChipCapability, UdpWithoutOkDoesNotAskForTheOutput) {
    for (Query query : {GetHwSupport, GetChipVersion}) {
        ScriptedBoard board(1);
        board.respond([](std::string_view) { return std::string("OK"); });
        std::array<char, 16> value{};
        EXPECT_EQ(query(&board.dev(), value.data()), MPDLL_E_REPLY);
        EXPECT_EQ(board.sent().size(), 1u);
        EXPECT_EQ(value[0], '\0');
    }
}

TEST(ChipCapability, EmptyInterfaceNameLeavesTwoSlashes) {
    ScriptedBoard board(2);
    board.respond([](std::string_view) { return std::string("chipVersion:c"); });
    std::array<char, 16> value{};
    EXPECT_EQ(GetChipVersion(&board.dev(), value.data()), MPDLL_OK);
    EXPECT_EQ(board.sent(), std::vector<std::string>{"cat /proc//mib_rf | grep chipVersion"});
    EXPECT_STREQ(value.data(), "C");
}

TEST(ChipCapability, ModeOutsideTheThreeAndNullPointersSendNothing) {
    for (Query query : {GetHwSupport, GetChipVersion}) {
        ScriptedBoard board(3);
        std::array<char, 16> value{};
        EXPECT_EQ(query(&board.dev(), value.data()), MPDLL_E_MODE);
        board.dev().mode = 2;
        EXPECT_EQ(query(&board.dev(), nullptr), MPDLL_E_ARGUMENT);
        EXPECT_EQ(query(nullptr, value.data()), MPDLL_E_ARGUMENT);
        EXPECT_TRUE(board.sent().empty());
    }
}

}  // namespace
