// The setting commands and the receive filter and power tracking words: the
// exact line each sends, and how the reply decides the status.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/scripted_board.h"

namespace {

using mpdll::test::ScriptedBoard;
using Call = std::function<int32_t(DevContext*)>;

struct LineCase {
    const char* name;
    Call call;
    std::string line;
};

std::vector<LineCase> line_cases() {
    return {
        {"start", [](DevContext* d) { return mp_start(d); }, "iwpriv wlan0 mp_start"},
        {"stop", [](DevContext* d) { return mp_stop(d); }, "iwpriv wlan0 mp_stop"},
        {"rate name", [](DevContext* d) { return mp_rate(d, "54m"); }, "iwpriv wlan0 mp_rate 108"},
        {"rate unknown", [](DevContext* d) { return mp_rate(d, "54"); }, "iwpriv wlan0 mp_rate 135"},
        {"channel freq", [](DevContext* d) { return mp_channel(d, "2437MHz"); }, "iwpriv wlan0 mp_channel 6"},
        {"channel none", [](DevContext* d) { return mp_channel(d, "auto"); }, "iwpriv wlan0 mp_channel 3"},
        {"bandwidth", [](DevContext* d) { return mp_bandwidth(d, 1, 0); }, "iwpriv wlan0 mp_bandwidth 40M=1,shortGI=0"},
        {"txpower", [](DevContext* d) { return mp_txpower(d, 30, -2); }, "iwpriv wlan0 mp_txpower patha=30,pathb=-2"},
        {"txpower min", [](DevContext* d) { return mp_txpower(d, INT32_MIN, 0); },
         "iwpriv wlan0 mp_txpower patha=-2147483648,pathb=0"},
        {"txpower_a", [](DevContext* d) { return mp_txpower_a(d, "addbyrate"); }, "iwpriv wlan0 mp_txpower addbyrate"},
        {"phypara", [](DevContext* d) { return mp_phypara(d, 45); }, "iwpriv wlan0 mp_phypara xcap=45"},
        {"bssid", [](DevContext* d) { return mp_bssid(d, "00:e0:4c:87:00:01"); },
         "iwpriv wlan0 mp_bssid 00:e0:4c:87:00:01"},
        {"ant_tx", [](DevContext* d) { return mp_ant_tx(d, "a"); }, "iwpriv wlan0 mp_ant_tx a"},
        {"ant_rx", [](DevContext* d) { return mp_ant_rx(d, "ab"); }, "iwpriv wlan0 mp_ant_rx ab"},
        {"arx empty", [](DevContext* d) { return mp_arx(d, ""); }, "iwpriv wlan0 mp_arx "},
        {"ctx percent", [](DevContext* d) { return mp_ctx(d, "%s%d"); }, "iwpriv wlan0 mp_ctx %s%d"},
        {"pwrtrk", [](DevContext* d) { return mp_pwrtrk(d, "stop"); }, "iwpriv wlan0 mp_pwrtrk stop"},
        {"arx_start", [](DevContext* d) { return mp_arx_start(d); }, "iwpriv wlan0 mp_arx start"},
        {"arx_stop", [](DevContext* d) { return mp_arx_stop(d); }, "iwpriv wlan0 mp_arx stop"},
        {"filter_init", [](DevContext* d) { return mp_arx_filter_init(d); }, "iwpriv wlan0 mp_arx filter_init"},
        {"filter_clean", [](DevContext* d) { return mp_arx_filter_clean(d); }, "iwpriv wlan0 mp_arx filter_clean"},
        {"filter_da", [](DevContext* d) { return mp_arx_filter_da(d, "00:11:22:33:44:55"); },
         "iwpriv wlan0 mp_arx filter_DA=00:11:22:33:44:55"},
        {"filter_da empty", [](DevContext* d) { return mp_arx_filter_da(d, ""); }, "iwpriv wlan0 mp_arx filter_DA="},
        {"filter_sa", [](DevContext* d) { return mp_arx_filter_sa(d, "x"); }, "iwpriv wlan0 mp_arx filter_SA=x"},
        {"filter_bssid", [](DevContext* d) { return mp_arx_filter_bssid(d, "y"); },
         "iwpriv wlan0 mp_arx filter_BSSID=y"},
        {"pwrtrk 6", [](DevContext* d) { return mp_pwrtrk_start(d, 6); }, "iwpriv wlan0 mp_pwrtrk start"},
        {"pwrtrk 7", [](DevContext* d) { return mp_pwrtrk_start(d, 7); }, "iwpriv wlan0 mp_pwrtrk ther=7"},
        {"pwrtrk 29", [](DevContext* d) { return mp_pwrtrk_start(d, 29); }, "iwpriv wlan0 mp_pwrtrk ther=29"},
        {"pwrtrk 30", [](DevContext* d) { return mp_pwrtrk_start(d, 30); }, "iwpriv wlan0 mp_pwrtrk start"},
        {"pwrtrk -1", [](DevContext* d) { return mp_pwrtrk_start(d, -1); }, "iwpriv wlan0 mp_pwrtrk start"},
        {"pwrtrk_stop", [](DevContext* d) { return mp_pwrtrk_stop(d); }, "iwpriv wlan0 mp_pwrtrk stop"},
    };
}

TEST(SettingCommands, TelnetSendsExactlyOneLineAndIgnoresTheOutput) {
    for (const LineCase& c : line_cases()) {
        ScriptedBoard board(2);
        board.respond([](std::string_view) { return "iwpriv: unknown sub-command\r\n"; });
        EXPECT_EQ(c.call(&board.dev()), MPDLL_OK) << c.name;
        EXPECT_EQ(board.sent(), std::vector<std::string>{c.line}) << c.name;
    }
}

TEST(SettingCommands, UdpStatusFollowsTheLowerCaseOk) {
    struct Reply {
        const char* text;
        int32_t status;
    };
    const Reply replies[] = {{"ok", MPDLL_OK}, {"token", MPDLL_OK}, {"OK", MPDLL_E_REPLY}, {"done", MPDLL_E_REPLY}};
    for (const LineCase& c : line_cases()) {
        for (const Reply& r : replies) {
            ScriptedBoard board(1);
            board.respond([&](std::string_view) { return std::string(r.text); });
            EXPECT_EQ(c.call(&board.dev()), r.status) << c.name << " / " << r.text;
            EXPECT_EQ(board.sent(), std::vector<std::string>{c.line}) << c.name;
        }
    }
}

TEST(SettingCommands, BoardNamesAreUsedAndTheChipModelUpperCased) {
    ScriptedBoard board(2);
    std::strcpy(board.dev().ifName, "wlan1");
    std::strcpy(board.dev().toolPath, "/bin/iwpriv");
    std::strcpy(board.dev().chipModel, "mxr4700d");
    EXPECT_EQ(mp_start(&board.dev()), MPDLL_OK);
    EXPECT_EQ(mp_channel(&board.dev(), "5180"), MPDLL_OK);
    EXPECT_EQ(mp_arx_filter_sa(&board.dev(), "wlan0"), MPDLL_OK);
    EXPECT_EQ(board.sent(), (std::vector<std::string>{"/bin/iwpriv wlan1 mp_start", "/bin/iwpriv wlan1 mp_channel 36",
                                                      "/bin/iwpriv wlan1 mp_arx filter_SA=wlan0"}));
    EXPECT_STREQ(board.dev().chipModel, "MXR4700D");
}

TEST(SettingCommands, ModeOutsideTheThreeSendsNothing) {
    for (const LineCase& c : line_cases()) {
        ScriptedBoard board(3);
        EXPECT_EQ(c.call(&board.dev()), MPDLL_E_MODE) << c.name;
        EXPECT_TRUE(board.sent().empty()) << c.name;
    }
}

TEST(SettingCommands, NullPointersAreRefusedAndNothingSent) {
    const std::vector<std::pair<const char*, Call>> calls = {
        {"rate", [](DevContext* d) { return mp_rate(d, nullptr); }},
        {"channel", [](DevContext* d) { return mp_channel(d, nullptr); }},
        {"txpower_a", [](DevContext* d) { return mp_txpower_a(d, nullptr); }},
        {"bssid", [](DevContext* d) { return mp_bssid(d, nullptr); }},
        {"ant_tx", [](DevContext* d) { return mp_ant_tx(d, nullptr); }},
        {"ant_rx", [](DevContext* d) { return mp_ant_rx(d, nullptr); }},
        {"arx", [](DevContext* d) { return mp_arx(d, nullptr); }},
        {"ctx", [](DevContext* d) { return mp_ctx(d, nullptr); }},
        {"pwrtrk", [](DevContext* d) { return mp_pwrtrk(d, nullptr); }},
        {"filter_da", [](DevContext* d) { return mp_arx_filter_da(d, nullptr); }},
        {"filter_sa", [](DevContext* d) { return mp_arx_filter_sa(d, nullptr); }},
        {"filter_bssid", [](DevContext* d) { return mp_arx_filter_bssid(d, nullptr); }},
        {"no record", [](DevContext*) { return mp_start(nullptr); }},
        {"no record, words", [](DevContext*) { return mp_arx_filter_init(nullptr); }},
        {"no record, address word", [](DevContext*) { return mp_arx_filter_da(nullptr, "00:11:22:33:44:55"); }},
        {"no record, pwrtrk", [](DevContext*) { return mp_pwrtrk_start(nullptr, 10); }},
    };
    for (const auto& [name, call] : calls) {
        ScriptedBoard board(2);
        EXPECT_EQ(call(&board.dev()), MPDLL_E_ARGUMENT) << name;
        EXPECT_TRUE(board.sent().empty()) << name;
    }
}

TEST(SettingCommands, LineOfExactly2047CharactersIsSentOneMoreIsRefused) {
    struct Case {
        const char* name;
        std::function<int32_t(DevContext*, const char*)> call;
        std::string prefix;  // the line before the caller's text, with the names put in
    };
    const Case cases[] = {
        {"bssid", [](DevContext* d, const char* t) { return mp_bssid(d, t); }, "iw ath12 mp_bssid "},
        {"ctx", [](DevContext* d, const char* t) { return mp_ctx(d, t); }, "iw ath12 mp_ctx "},
        {"filter_da", [](DevContext* d, const char* t) { return mp_arx_filter_da(d, t); },
         "iw ath12 mp_arx filter_DA="},
    };
    for (const Case& c : cases) {
        const std::string fits(2047 - c.prefix.size(), 'q');
        const std::string tooLong = fits + "q";
        ScriptedBoard board(2);
        std::strcpy(board.dev().ifName, "ath12");
        std::strcpy(board.dev().toolPath, "iw");
        EXPECT_EQ(c.call(&board.dev(), tooLong.c_str()), MPDLL_E_ARGUMENT) << c.name;
        EXPECT_TRUE(board.sent().empty()) << c.name;
        EXPECT_EQ(c.call(&board.dev(), fits.c_str()), MPDLL_OK) << c.name;
        EXPECT_EQ(board.sent(), std::vector<std::string>{c.prefix + fits}) << c.name;
    }
    // An address that does not even fit the filter word is refused as well.
    const std::string wholeLine(3000, 'q');
    for (const auto filter : {mp_arx_filter_da, mp_arx_filter_sa, mp_arx_filter_bssid}) {
        ScriptedBoard board(2);
        EXPECT_EQ(filter(&board.dev(), wholeLine.c_str()), MPDLL_E_ARGUMENT);
        EXPECT_TRUE(board.sent().empty());
    }
}

TEST(SettingCommands, LongerInterfaceNameCountsAgainstTheLine) {
    // The same text fits with the default names but not with longer ones.
    const std::string text(2047 - std::string("iwpriv wlan0 mp_bssid ").size(), 'q');
    ScriptedBoard board(2);
    std::strcpy(board.dev().ifName, "wlan0-va1");
    EXPECT_EQ(mp_bssid(&board.dev(), text.c_str()), MPDLL_E_ARGUMENT);
    EXPECT_TRUE(board.sent().empty());
    board.dev().ifName[0] = '\0';
    EXPECT_EQ(mp_bssid(&board.dev(), text.c_str()), MPDLL_OK);
}

}  // namespace
