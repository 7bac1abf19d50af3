// The command exports against the simulated board over UDP, telnet and the
// serial console: the lines the board's shell received, the last line as
// GetBuffer reports it, statuses, and values read back from the board's state.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/board_under_test.h"

namespace {

using mpdll::test::BoardSetup;
using mpdll::test::BoardUnderTest;
using mpdll::test::mode_test_name;
using Lines = std::vector<std::string>;

std::string tool(const std::string& rest) { return "iwpriv wlan0 " + rest; }

// A board per test, serving every transport, and a record opened on it over
// the transport under test.
class BoardCommands : public ::testing::TestWithParam<int32_t> {
  protected:
    void SetUp() override { open_board(mpboard::Options{}); }

    void open_board(mpboard::Options options, const char* ifName = "", const char* toolPath = "") {
        close_board();
        BoardSetup setup;
        setup.servesAll = true;
        setup.record.ifName = ifName;
        setup.record.toolPath = toolPath;
        session_ = std::make_unique<BoardUnderTest>(mpdll::test::transport_of(GetParam()), std::move(options), setup);
        board_ = &session_->board();
        dev_ = session_->record();
        ASSERT_EQ(MPDLL_OK, OpenDev(dev_.get()));
        opened_ = true;
    }

    // Test mode on and the transcript cleared.
    void enter_test_mode() {
        ASSERT_EQ(MPDLL_OK, EnterMP(dev()));
        if (udp()) {
            ASSERT_EQ(MPDLL_OK, mp_start(dev()));  // EnterMP sends nothing over UDP
        }
        ASSERT_TRUE(board_->test_mode());
        board_->clear_commands();
    }

    void close_board() {
        if (opened_) {
            EXPECT_EQ(MPDLL_OK, CloseDev(dev_.get(), static_cast<uint32_t>(GetParam())));
        }
        opened_ = false;
    }

    void TearDown() override { close_board(); }

    std::string last_sent() {
        std::array<char, 2048> sent{};
        std::array<char, 16384> received{};
        GetBuffer(dev(), sent.data(), sent.size() - 1, received.data(), received.size() - 1);
        return sent.data();
    }
    // The line as it went out: telnet and serial add one CR.
    std::string as_sent(const std::string& line) const { return udp() ? line : line + "\r"; }

    bool udp() const { return GetParam() == MPDLL_MODE_UDP; }
    DevContext* dev() { return dev_.get(); }

    std::unique_ptr<BoardUnderTest> session_;
    mpboard::Simulator* board_ = nullptr;  // session_'s board
    std::unique_ptr<DevContext> dev_;
    bool opened_ = false;
};

TEST_P(BoardCommands, SettingLinesAndLastSent) {
    enter_test_mode();
    ASSERT_EQ(MPDLL_OK, mp_rate(dev(), "mcs7"));
    EXPECT_EQ(as_sent(tool("mp_rate 135")), last_sent());
    ASSERT_EQ(MPDLL_OK, mp_channel(dev(), "5745"));
    ASSERT_EQ(MPDLL_OK, mp_bandwidth(dev(), 1, 1));
    ASSERT_EQ(MPDLL_OK, mp_txpower(dev(), 30, 20));
    ASSERT_EQ(MPDLL_OK, mp_txpower_a(dev(), "addbyrate"));
    ASSERT_EQ(MPDLL_OK, mp_phypara(dev(), 33));
    ASSERT_EQ(MPDLL_OK, mp_bssid(dev(), "00:e0:4c:00:00:09"));
    ASSERT_EQ(MPDLL_OK, mp_ant_tx(dev(), "A"));
    ASSERT_EQ(MPDLL_OK, mp_ant_rx(dev(), "AB"));
    ASSERT_EQ(MPDLL_OK, mp_pwrtrk_start(dev(), 20));
    ASSERT_EQ(MPDLL_OK, mp_pwrtrk_stop(dev()));
    ASSERT_EQ(MPDLL_OK, mp_stop(dev()));
    EXPECT_EQ(as_sent(tool("mp_stop")), last_sent());
    EXPECT_FALSE(board_->test_mode());
    EXPECT_EQ((Lines{tool("mp_rate 135"), tool("mp_channel 149"), tool("mp_bandwidth 40M=1,shortGI=1"),
                     tool("mp_txpower patha=30,pathb=20"), tool("mp_txpower addbyrate"), tool("mp_phypara xcap=33"),
                     tool("mp_bssid 00:e0:4c:00:00:09"), tool("mp_ant_tx A"), tool("mp_ant_rx AB"),
                     tool("mp_pwrtrk ther=20"), tool("mp_pwrtrk stop"), tool("mp_stop")}),
              board_->commands());
}

TEST_P(BoardCommands, FilterAddressesReadBack) {
    enter_test_mode();
    ASSERT_EQ(MPDLL_OK, mp_arx_filter_init(dev()));
    ASSERT_EQ(MPDLL_OK, mp_arx_filter_sa(dev(), "00:e0:4c:00:00:01"));
    ASSERT_EQ(MPDLL_OK, mp_arx_filter_da(dev(), "00:e0:4c:00:00:02"));
    ASSERT_EQ(MPDLL_OK, mp_arx_filter_bssid(dev(), "00:e0:4c:00:00:03"));
    std::array<char, 18> da{"unset"}, sa{"unset"}, bssid{"unset"};
    ASSERT_EQ(MPDLL_OK, mp_arx_filter_print(dev(), da.data(), sa.data(), bssid.data()));
    if (udp()) {  // the report is not read over UDP
        EXPECT_STREQ("unset", da.data());
        EXPECT_STREQ("unset", sa.data());
        EXPECT_STREQ("unset", bssid.data());
    } else {
        EXPECT_STREQ("00:E0:4C:00:00:02", da.data());
        EXPECT_STREQ("00:E0:4C:00:00:01", sa.data());
        EXPECT_STREQ("00:E0:4C:00:00:03", bssid.data());
    }
    EXPECT_EQ((Lines{tool("mp_arx filter_init"), tool("mp_arx filter_SA=00:e0:4c:00:00:01"),
                     tool("mp_arx filter_DA=00:e0:4c:00:00:02"), tool("mp_arx filter_BSSID=00:e0:4c:00:00:03"),
                     tool("mp_arx filter_print")}),
              board_->commands());
}

TEST_P(BoardCommands, CountersAndTssiEqualTheBoardState) {
    enter_test_mode();
    ASSERT_EQ(MPDLL_OK, mp_txpower(dev(), 30, 20));
    ASSERT_EQ(MPDLL_OK, mp_ctx(dev(), "pkt"));
    ASSERT_EQ(MPDLL_OK, mp_arx_start(dev()));
    int32_t txOk = -1, txFail = -1, rxOk = -1, crc = -1;
    for (int query = 0; query < 2; ++query) {
        ASSERT_EQ(MPDLL_OK, mp_query(dev(), &txOk, &txFail, &rxOk, &crc));
        const mpboard::Counters counters = board_->counters();
        EXPECT_EQ(counters.tx_ok, txOk);
        EXPECT_EQ(counters.tx_fail, txFail);
        EXPECT_EQ(counters.rx_ok, rxOk);
        EXPECT_EQ(counters.crc_error, crc);
    }
    EXPECT_GT(txOk, 0);
    int32_t tssi = -1;
    ASSERT_EQ(MPDLL_OK, mp_tssi(dev(), &tssi));
    EXPECT_EQ(40 + 30 / 2, tssi);  // the board's TSSI while it transmits at path A power 30
    EXPECT_EQ(as_sent(tool("mp_tssi")), last_sent());
}

TEST_P(BoardCommands, ThermalValueOrAcknowledgement) {
    enter_test_mode();
    int32_t thermal = -1;
    ASSERT_EQ(MPDLL_OK, mp_ther(dev(), &thermal));
    if (udp()) {
        EXPECT_EQ(-1, thermal);
    } else {
        EXPECT_GT(thermal, 0);
    }
    EXPECT_EQ((Lines{tool("mp_ther")}), board_->commands());
}

TEST_P(BoardCommands, ChipCapability) {
    mpboard::Options options;
    options.chip_version = "c-cut";
    options.mimo_support = "3";
    open_board(options, "wlan0");
    std::array<char, 64> version{}, support{};
    ASSERT_EQ(MPDLL_OK, GetChipVersion(dev(), version.data()));
    ASSERT_EQ(MPDLL_OK, GetHwSupport(dev(), support.data()));
    EXPECT_STREQ(udp() ? "c-cut" : "C-CUT", version.data());  // the normal form is upper case
    EXPECT_STREQ("3", support.data());
    const Lines queries{"cat /proc/wlan0/mib_rf | grep chipVersion",
                        "cat /proc/wlan0/mib_rf | grep MIMO_TR_hw_support"};
    const Lines expected = udp() ? Lines{queries[0], "flash read", queries[1], "flash read"} : queries;
    EXPECT_EQ(expected, board_->commands());
}

TEST_P(BoardCommands, EnterWithAnotherInterfaceAndTool) {
    mpboard::Options options;
    options.if_name = "wlan1";
    options.tool = "/sbin/iwpriv";
    open_board(options, "wlan1", "/sbin/iwpriv");
    ASSERT_EQ(MPDLL_OK, EnterMP(dev()));
    if (udp()) {
        EXPECT_TRUE(board_->commands().empty());
        ASSERT_EQ(MPDLL_OK, mp_start(dev()));
        EXPECT_EQ((Lines{"/sbin/iwpriv wlan1 mp_start"}), board_->commands());
    } else {
        EXPECT_EQ((Lines{"ifconfig wlan1 down", "/sbin/iwpriv wlan1 set_mib mp_specific=1",
                         "/sbin/iwpriv wlan1 set_mib channel=1", "ifconfig wlan1 up", "/sbin/iwpriv wlan1 mp_start"}),
                  board_->commands());
    }
    EXPECT_TRUE(board_->test_mode());
}

TEST_P(BoardCommands, ModeOutsideTheThreeSendsNothing) {
    enter_test_mode();
    const int32_t mode = dev()->mode;
    dev()->mode = 3;
    int32_t value = -1;
    EXPECT_EQ(MPDLL_E_MODE, mp_channel(dev(), "6"));
    EXPECT_EQ(MPDLL_E_MODE, mp_ther(dev(), &value));
    EXPECT_EQ(MPDLL_E_MODE, EnterMP(dev()));
    dev()->mode = mode;
    ASSERT_EQ(MPDLL_OK, mp_channel(dev(), "7"));  // the connection is still usable
    EXPECT_EQ((Lines{tool("mp_channel 7")}), board_->commands());
}

INSTANTIATE_TEST_SUITE_P(Transports, BoardCommands,
                         ::testing::Values(MPDLL_MODE_UDP, MPDLL_MODE_TELNET, MPDLL_MODE_SERIAL), mode_test_name);

// Over UDP a setting needs the lower-case "ok": the board's upper-case
// acknowledgement fails the command, any word holding "ok" passes.
class BoardUdpReplies : public BoardCommands {};

TEST_P(BoardUdpReplies, UpperCaseOkFailsTheSetting) {
    enter_test_mode();
    mpboard::Faults faults;
    faults.upper_case_ok = true;
    board_->set_faults(faults);
    EXPECT_EQ(MPDLL_E_REPLY, mp_channel(dev(), "6"));
    EXPECT_EQ(MPDLL_E_REPLY, mp_arx_start(dev()));
    board_->set_faults(mpboard::Faults{});
    EXPECT_EQ(MPDLL_OK, mp_channel(dev(), "6"));
    EXPECT_EQ((Lines{tool("mp_channel 6"), tool("mp_arx start"), tool("mp_channel 6")}), board_->commands());
}

INSTANTIATE_TEST_SUITE_P(Udp, BoardUdpReplies, ::testing::Values(MPDLL_MODE_UDP), mode_test_name);

}  // namespace
