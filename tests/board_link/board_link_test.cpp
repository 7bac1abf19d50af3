// The library's OpenDev, SendCommand and CloseDev against the simulated board
// over telnet (each login style), UDP and the serial console.
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "support/board_under_test.h"

namespace {

using mpdll::test::BoardSetup;
using mpdll::test::BoardUnderTest;
using mpdll::test::quick_board;
using mpdll::test::Transport;

// Records without an interface name; telnet waits 200 ms for our option answers.
BoardSetup link_setup(const char* password = "root") {
    BoardSetup setup;
    setup.negotiationWaitMs = 200;
    setup.record.ifName = "";
    setup.record.password = password;
    return setup;
}

std::string send(DevContext* dev, const char* line, int32_t* status = nullptr) {
    char response[16384];
    int32_t result = SendCommand(dev, line, response, sizeof response, 0, 0);
    if (status) *status = result;
    EXPECT_EQ(result, 0) << line;
    return response;
}

struct LoginCase {
    const char* name;
    mpboard::LoginStyle style;
};
void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.name; }

class TelnetLink : public ::testing::TestWithParam<LoginCase> {};

TEST_P(TelnetLink, OpensRunsCommandsAndCloses) {
    mpboard::Options o = quick_board();
    o.login = GetParam().style;
    BoardUnderTest link(Transport::telnet, o, link_setup());
    mpboard::Simulator& board = link.board();
    auto dev = link.record();
    std::strcpy(dev->firstCommand, "iwpriv wlan0 mp_start");
    ASSERT_EQ(OpenDev(dev.get()), 0);
    EXPECT_TRUE(board.test_mode()) << "first command not run in the shell";
    EXPECT_EQ(send(dev.get(), "flash get THER"), "\r\nTHER=30\r\n");
    EXPECT_EQ(send(dev.get(), "iwpriv wlan0 mp_query"),
              "\r\nwlan0     mp_query:Tx OK:0, Tx Fail:0, Rx OK:0, CRC error:0\r\n");
    EXPECT_EQ(board.commands(),
              (std::vector<std::string>{"iwpriv wlan0 mp_start", "flash get THER", "iwpriv wlan0 mp_query"}));
    EXPECT_EQ(CloseDev(dev.get(), 2), 0);
}

INSTANTIATE_TEST_SUITE_P(Styles, TelnetLink,
                         ::testing::Values(LoginCase{"standard", mpboard::LoginStyle::standard},
                                           LoginCase{"together", mpboard::LoginStyle::together},
                                           LoginCase{"empty_reasks", mpboard::LoginStyle::empty_reasks},
                                           LoginCase{"none", mpboard::LoginStyle::none}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TelnetLinkRefused, WrongPasswordFailsTheOpen) {
    BoardUnderTest link(Transport::telnet, quick_board(), link_setup("wrong"));
    auto dev = link.record();
    EXPECT_EQ(OpenDev(dev.get()), -30006);
}

TEST(TelnetLinkFaults, ChunkedAnswerWithSplitPromptStillEndsAtThePrompt) {
    BoardUnderTest link(Transport::telnet, quick_board(), link_setup());
    mpboard::Simulator& board = link.board();
    auto dev = link.record();
    ASSERT_EQ(OpenDev(dev.get()), 0);
    mpboard::Faults f;
    f.chunk_size = 3;
    f.split_prompt = true;
    board.set_faults(f);
    EXPECT_EQ(send(dev.get(), "flash get XCAP"), "\r\nXCAP=32\r\n");
    CloseDev(dev.get(), 2);
}

TEST(UdpLink, SendCommandAndTheTwoStepRead) {
    BoardUnderTest link(Transport::udp, quick_board(), link_setup());
    auto dev = link.record();
    ASSERT_EQ(OpenDev(dev.get()), 0);
    EXPECT_EQ(send(dev.get(), "iwpriv wlan0 mp_start"), "ok");
    EXPECT_EQ(send(dev.get(), "flash get XCAP"), "ok");
    EXPECT_EQ(send(dev.get(), "flash read"), "data:XCAP=32\n\a");
    EXPECT_EQ(CloseDev(dev.get(), 1), 0);
}

TEST(SerialLink, SendCommandOnTheConsole) {
    BoardUnderTest link(Transport::serial, quick_board(), link_setup());
    mpboard::Simulator& board = link.board();
    auto dev = link.record();
    ASSERT_EQ(OpenDev(dev.get()), 0);
    EXPECT_EQ(send(dev.get(), "iwpriv wlan0 mp_start"), "\r\n");
    EXPECT_EQ(send(dev.get(), "cat /proc/wlan0/mib_rf | grep chipVersion"), "\r\n  chipVersion: b\r\n");
    EXPECT_TRUE(board.test_mode());
    EXPECT_EQ(CloseDev(dev.get(), 4), 0);
}

}  // namespace
