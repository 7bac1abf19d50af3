// Test-mode entry: the five lines with the board's names, and the modes that
// send nothing.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "mpdll/mpdll.h"
#include "platform/platform.h"
#include "support/scripted_board.h"
#include "support/swapped_platform_ops.h"

namespace {

using mpdll::test::ScriptedBoard;

TEST(EnterMP, TelnetRunsTheFiveStepsWithTheBoardNames) {
    struct Case {
        const char* ifName;
        const char* tool;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"",
         "",
         {"ifconfig wlan0 down", "iwpriv wlan0 set_mib mp_specific=1", "iwpriv wlan0 set_mib channel=1",
          "ifconfig wlan0 up", "iwpriv wlan0 mp_start"}},
        {"wlan1",
         "/usr/bin/iwpriv",
         {"ifconfig wlan1 down", "/usr/bin/iwpriv wlan1 set_mib mp_specific=1",
          "/usr/bin/iwpriv wlan1 set_mib channel=1", "ifconfig wlan1 up", "/usr/bin/iwpriv wlan1 mp_start"}},
    };
    for (const Case& c : cases) {
        ScriptedBoard board(2, "root@board:~# ");
        std::strcpy(board.dev().ifName, c.ifName);
        std::strcpy(board.dev().toolPath, c.tool);
        board.respond([](std::string_view) { return std::string("SIOCSIFFLAGS: error\r\n"); });  // not examined
        EXPECT_EQ(EnterMP(&board.dev()), MPDLL_OK) << c.ifName;
        EXPECT_EQ(board.sent(), c.lines);
    }
}

TEST(EnterMP, UdpSendsNothingAndOtherModesAreRefused) {
    struct Case {
        int mode;
        int32_t status;
    };
    for (const Case& c : {Case{1, MPDLL_OK}, Case{0, MPDLL_E_MODE}, Case{3, MPDLL_E_MODE}}) {
        ScriptedBoard board(c.mode);
        board.respond([](std::string_view) { return std::string("ok"); });
        EXPECT_EQ(EnterMP(&board.dev()), c.status) << c.mode;
        EXPECT_TRUE(board.sent().empty()) << c.mode;
    }
    EXPECT_EQ(EnterMP(nullptr), MPDLL_E_ARGUMENT);
}

// A send that fails ends the entry at that step with the socket's error
// number; the steps after it are not sent.
struct FailingSend {
    static inline int sendsLeft = 0;
    static inline int (*boardSend)(MpSocket, const char*, int) = nullptr;
    static int send(MpSocket s, const char* data, int length) {
        if (sendsLeft-- <= 0) return -1;
        return boardSend(s, data, length);
    }
    static int last_error() { return ECONNRESET; }
};

TEST(EnterMP, StopsAtTheFirstStepWhoseSendFails) {
    const std::vector<std::string> steps{"ifconfig wlan0 down", "iwpriv wlan0 set_mib mp_specific=1",
                                         "iwpriv wlan0 set_mib channel=1", "ifconfig wlan0 up",
                                         "iwpriv wlan0 mp_start"};
    for (int failing = 0; failing < static_cast<int>(steps.size()); ++failing) {
        ScriptedBoard board(2);
        mpdll::platform::SocketOps ops = mpdll::platform::sockets();
        FailingSend::boardSend = ops.send;
        FailingSend::sendsLeft = failing;
        ops.send = FailingSend::send;
        ops.last_error = FailingSend::last_error;
        const mpdll::test::SwappedPlatformOps failingSends(ops);
        EXPECT_EQ(EnterMP(&board.dev()), ECONNRESET) << "step " << failing;
        EXPECT_EQ(board.sent(), std::vector<std::string>(steps.begin(), steps.begin() + failing)) << "step " << failing;
    }
}

}  // namespace
