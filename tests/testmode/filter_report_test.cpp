// The receive filter report: the word the chip model chooses, and the three
// addresses read out of the report in the order DA, SA, BSSID.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/scripted_board.h"

namespace {

using mpdll::test::ScriptedBoard;
using Address = std::array<char, 18>;

const char* kFullReport =
    "wlan0     mp_arx:\r\n Flag:1\r\n SA:00:e0:4c:00:00:01\r\n DA:00:e0:4c:00:00:02\r\n"
    " BSSID:00:e0:4c:00:00:03\r\n";

struct Outputs {
    Address da, sa, bssid;
    Outputs() {
        std::strcpy(da.data(), "da-unset");
        std::strcpy(sa.data(), "sa-unset");
        std::strcpy(bssid.data(), "bssid-unset");
    }
    int32_t print(DevContext& dev) { return mp_arx_filter_print(&dev, da.data(), sa.data(), bssid.data()); }
};

TEST(FilterReport, AddressesComeBackUpperCasedInArgumentOrder) {
    ScriptedBoard board(2);
    board.respond([](std::string_view) { return std::string(kFullReport); });
    Outputs out;
    EXPECT_EQ(out.print(board.dev()), MPDLL_OK);
    EXPECT_STREQ(out.da.data(), "00:E0:4C:00:00:02");
    EXPECT_STREQ(out.sa.data(), "00:E0:4C:00:00:01");
    EXPECT_STREQ(out.bssid.data(), "00:E0:4C:00:00:03");
    EXPECT_EQ(board.sent(), std::vector<std::string>{"iwpriv wlan0 mp_arx filter_print"});
}

TEST(FilterReport, MalformedReportsWriteOnlyTheFieldsReadBeforeTheFault) {
    struct Case {
        const char* name;
        std::string report;
        const char* sa;  // the others stay unset in every case
    };
    const Case cases[] = {
        {"short SA", "rx:FLAG:1SA:0:1:2:3:4:5DA:00:11:22:33:44:55BSSID:00:11:22:33:44:66", "0:1:2:3:4:5DA:00:"},
        {"no FLAG label", "rx:SA:00:11:22:33:44:55DA:00:11:22:33:44:55BSSID:00:11:22:33:44:66", "sa-unset"},
        {"leading colon", ":FLAG:1SA:00:11:22:33:44:55DA:00:11:22:33:44:55BSSID:00:11:22:33:44:66", "sa-unset"},
        {"empty", "", "sa-unset"},
    };
    for (const Case& c : cases) {
        ScriptedBoard board(2);
        board.respond([&](std::string_view) { return c.report; });
        Outputs out;
        EXPECT_EQ(out.print(board.dev()), MPDLL_E_REPLY) << c.name;
        EXPECT_STREQ(out.sa.data(), c.sa) << c.name;
        EXPECT_STREQ(out.da.data(), "da-unset") << c.name;
        EXPECT_STREQ(out.bssid.data(), "bssid-unset") << c.name;
    }
}

TEST(FilterReport, ChipModelWithoutAReportSendsFilterClean) {
    struct Case {
        const char* chip;
        const char* line;
    };
    const Case cases[] = {{"mXr4700La", "iwpriv wlan0 mp_arx filter_clean"},
                          {"MXR4700D", "iwpriv wlan0 mp_arx filter_print"},
                          {"", "iwpriv wlan0 mp_arx filter_print"}};
    for (const Case& c : cases) {
        ScriptedBoard board(2);
        std::strcpy(board.dev().chipModel, c.chip);
        board.respond([](std::string_view) { return std::string(kFullReport); });
        Outputs out;
        EXPECT_EQ(out.print(board.dev()), MPDLL_OK) << c.chip;
        EXPECT_EQ(board.sent(), std::vector<std::string>{c.line});
        EXPECT_STREQ(out.bssid.data(), "00:E0:4C:00:00:03");
    }
}

TEST(FilterReport, UdpIsNotReadAndLeavesTheOutputs) {
    for (const char* reply : {"ok", "no"}) {
        ScriptedBoard board(1);
        board.respond([&](std::string_view) { return std::string(reply); });
        Outputs out;
        EXPECT_EQ(out.print(board.dev()), MPDLL_OK) << reply;
        EXPECT_STREQ(out.da.data(), "da-unset");
        EXPECT_STREQ(out.sa.data(), "sa-unset");
        EXPECT_EQ(board.sent(), std::vector<std::string>{"iwpriv wlan0 mp_arx filter_print"});
    }
}

TEST(FilterReport, ModeOutsideTheThreeAndNullOutputsSendNothing) {
    ScriptedBoard board(3);
    Outputs out;
    EXPECT_EQ(out.print(board.dev()), MPDLL_E_MODE);
    board.dev().mode = 2;
    EXPECT_EQ(mp_arx_filter_print(&board.dev(), nullptr, out.sa.data(), out.bssid.data()), MPDLL_E_ARGUMENT);
    EXPECT_EQ(mp_arx_filter_print(&board.dev(), out.da.data(), nullptr, out.bssid.data()), MPDLL_E_ARGUMENT);
    EXPECT_EQ(mp_arx_filter_print(&board.dev(), out.da.data(), out.sa.data(), nullptr), MPDLL_E_ARGUMENT);
    EXPECT_EQ(mp_arx_filter_print(nullptr, out.da.data(), out.sa.data(), out.bssid.data()), MPDLL_E_ARGUMENT);
    EXPECT_TRUE(board.sent().empty());
}

}  // namespace
