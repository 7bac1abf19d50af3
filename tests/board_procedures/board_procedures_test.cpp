// The procedures, flash and register access against the simulated board over
// telnet, the serial console and UDP: the lines the board received, values
// read back from the board's own state, and round trips through its flash
// and registers.
#include <gtest/gtest.h>

#include <cstring>
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

// FlashGet writes a value of up to a whole response.
constexpr std::size_t kValueRoom = 16384;

std::string tool(const std::string& rest) { return "iwpriv wlan0 " + rest; }

// A board of its own per test, serving every transport, and a record opened
// on it over the transport under test and in test mode.
class BoardSession {
  protected:
    void open(int32_t mode) {
        mode_ = mode;
        BoardSetup setup;
        setup.servesAll = true;
        setup.record.ifName = "";
        session_ = std::make_unique<BoardUnderTest>(mpdll::test::transport_of(mode), mpboard::Options{}, setup);
        board_ = &session_->board();
        dev_ = session_->record();
        ASSERT_EQ(MPDLL_OK, OpenDev(dev_.get()));
        opened_ = true;
        ASSERT_EQ(MPDLL_OK, EnterMP(dev_.get()));
        if (mode == MPDLL_MODE_UDP) {
            ASSERT_EQ(MPDLL_OK, mp_start(dev_.get()));  // EnterMP sends nothing over UDP
        }
        ASSERT_TRUE(board_->test_mode());
        board_->clear_commands();
    }

    void close() {
        if (opened_) {
            EXPECT_EQ(MPDLL_OK, CloseDev(dev_.get(), static_cast<uint32_t>(mode_)));
        }
    }

    bool udp() const { return mode_ == MPDLL_MODE_UDP; }
    DevContext* dev() { return dev_.get(); }

    std::unique_ptr<BoardUnderTest> session_;
    mpboard::Simulator* board_ = nullptr;  // session_'s board
    std::unique_ptr<DevContext> dev_;
    int32_t mode_ = 0;
    bool opened_ = false;
};

// Every test once per transport.
class BoardProcedures : public BoardSession, public ::testing::TestWithParam<int32_t> {
  protected:
    void SetUp() override { open(GetParam()); }
    void TearDown() override { close(); }
};

// Tests of what only the UDP path does.
class UdpBoardProcedures : public BoardSession, public ::testing::Test {
  protected:
    void SetUp() override { open(MPDLL_MODE_UDP); }
    void TearDown() override { close(); }
};

TEST_P(BoardProcedures, TransmitTestLines) {
    ASSERT_EQ(MPDLL_OK, TxStart(dev(), 2, 1, 0, "6", "54M", "A", 30, 20, 100, 0));
    ASSERT_EQ(MPDLL_OK, TxStop(dev()));
    EXPECT_EQ(
        (Lines{tool("mp_bandwidth 40M=1,shortGI=0"), tool("mp_channel 6"), tool("mp_rate 108"), tool("mp_ant_tx A"),
               tool("mp_txpower patha=30,pathb=20"), tool("mp_ctx count=100,stone,background"), tool("mp_ctx stop")}),
        board_->commands());
}

TEST_P(BoardProcedures, ReceiveTestLinesAndCounters) {
    ASSERT_EQ(MPDLL_OK,
              RxStartWithFilter(dev(), 0, 1, "11", "B", "00:E0:4C:00:00:02", "00:E0:4C:00:00:01", "00:E0:4C:00:00:03"));
    int32_t rxOk = -1, crcError = -1;
    for (int query = 0; query < 2; ++query) {
        ASSERT_EQ(MPDLL_OK, RxQuery(dev(), &rxOk, &crcError));
        EXPECT_EQ(board_->counters().rx_ok, rxOk);
        EXPECT_EQ(board_->counters().crc_error, crcError);
    }
    ASSERT_EQ(MPDLL_OK, RxResetCounter(dev()));
    ASSERT_EQ(MPDLL_OK, RxQuery(dev(), &rxOk, &crcError));
    EXPECT_EQ(board_->counters().rx_ok, rxOk);
    EXPECT_EQ(board_->counters().crc_error, crcError);
    ASSERT_EQ(MPDLL_OK, RxStop(dev()));
    ASSERT_EQ(MPDLL_OK, RxStart(dev(), 1, 0, "36", "AB"));
    EXPECT_EQ((Lines{tool("mp_bandwidth 40M=0,shortGI=1"), tool("mp_channel 11"), tool("mp_ant_rx B"),
                     tool("mp_arx filter_init"), tool("mp_arx filter_SA=00:E0:4C:00:00:01"),
                     tool("mp_arx filter_DA=00:E0:4C:00:00:02"), tool("mp_arx filter_BSSID=00:E0:4C:00:00:03"),
                     tool("mp_arx start"), tool("mp_query"), tool("mp_query"), tool("mp_arx start"), tool("mp_query"),
                     tool("mp_arx filter_clean"), tool("mp_arx stop"), tool("mp_arx filter_clean"),
                     tool("mp_bandwidth 40M=1,shortGI=0"), tool("mp_channel 36"), tool("mp_ant_rx AB"),
                     tool("mp_arx start")}),
              board_->commands());
}

TEST_P(BoardProcedures, PowerTrackingLines) {
    ASSERT_EQ(MPDLL_OK, PowerTrackingOn(dev(), 20));
    ASSERT_EQ(MPDLL_OK, PowerTrackingOn(dev(), 30));
    int32_t thermal = -1;
    ASSERT_EQ(MPDLL_OK, PowerTrackingQuery(dev(), &thermal));
    if (!udp()) {
        EXPECT_GT(thermal, 0) << "the thermal value is read over telnet and serial";
    }
    ASSERT_EQ(MPDLL_OK, PowerTrackingOff(dev()));
    EXPECT_EQ((Lines{tool("mp_pwrtrk ther=20"), tool("mp_pwrtrk start"), tool("mp_ther"), tool("mp_pwrtrk stop")}),
              board_->commands());
}

// Over UDP the board refuses a bad setting without "ok": the procedure ends
// at that step.
TEST_F(UdpBoardProcedures, TransmitTestStopsAtTheRefusedSetting) {
    const Lines all{tool("mp_bandwidth 40M=1,shortGI=0"), tool("mp_channel 6"), tool("mp_rate 108"),
                    tool("mp_ant_tx A"), tool("mp_txpower patha=30,pathb=20")};
    struct Case {
        int32_t bw40;
        const char* antenna;
        int32_t powerA;
        std::size_t linesSent;
    } cases[] = {{7, "A", 30, 1}, {1, "Z", 30, 4}, {1, "A", 99, 5}};
    for (const auto& c : cases) {
        board_->clear_commands();
        EXPECT_EQ(MPDLL_E_REPLY, TxStart(dev(), 2, c.bw40, 0, "6", "54M", c.antenna, c.powerA, 20, 100, 0));
        const Lines commands = board_->commands();
        ASSERT_EQ(c.linesSent, commands.size());
        for (std::size_t i = 0; i + 1 < c.linesSent; ++i) {
            EXPECT_EQ(all[i], commands[i]);
        }
    }
}

TEST_P(BoardProcedures, FlashSetThenGet) {
    ASSERT_EQ(MPDLL_OK, FlashSet(dev(), "HW_TX_POWER_CCK_A", "2A2B2C2D"));
    std::vector<char> value(kValueRoom);
    ASSERT_EQ(MPDLL_OK, FlashGet(dev(), "HW_TX_POWER_CCK_A", value.data()));
    EXPECT_STREQ("2A2B2C2D", value.data());
    EXPECT_EQ("2A2B2C2D", board_->flash_value("HW_TX_POWER_CCK_A"));
    const Lines expected =
        udp() ? Lines{"flash set HW_TX_POWER_CCK_A 2A2B2C2D", "flash get HW_TX_POWER_CCK_A", "flash read"}
              : Lines{"flash set HW_TX_POWER_CCK_A 2A2B2C2D", "flash get HW_TX_POWER_CCK_A"};
    EXPECT_EQ(expected, board_->commands());
}

// The seven texts of a power index set written to flash and read back decode
// to the tables they came from. Every entry is chosen to need no blank (a
// blank would split the value into two words on the board's command line).
// Fourteen flash exchanges: run over UDP only (the quickest path), where the
// value comes back through the two-step read and ends at the board's BEL.
TEST_F(UdpBoardProcedures, PowerIndexTablesThroughFlash) {
    constexpr int32_t kCount = 3;
    int32_t t[10][kCount] = {{16, 42, 255}, {17, 99, 200}, {100, 120, 140}, {30, 60, 90}};
    const int32_t differences[3][2][kCount] = {
        {{-1, 0, 7}, {1, -8, 2}}, {{3, 3, -3}, {7, 6, 5}}, {{0, -2, 4}, {-1, -2, -3}}};  // [group][A or B][entry]
    for (int g = 0; g < 3; ++g) {
        for (int i = 0; i < kCount; ++i) {
            t[4 + 2 * g][i] = t[2][i] + differences[g][0][i];
            t[5 + 2 * g][i] = t[3][i] + differences[g][1][i];
        }
    }
    char texts[7][2 * kCount + 1];
    ASSERT_EQ(0, HexPowerIndex(kCount, t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9], texts[0], texts[1],
                               texts[2], texts[3], texts[4], texts[5], texts[6]));
    std::vector<std::vector<char>> readBack(7, std::vector<char>(kValueRoom));
    for (int k = 0; k < 7; ++k) {
        const std::string name = "HW_TX_POWER_TABLE_" + std::to_string(k);
        ASSERT_EQ(MPDLL_OK, FlashSet(dev(), name.c_str(), texts[k]));
        ASSERT_EQ(MPDLL_OK, FlashGet(dev(), name.c_str(), readBack[k].data()));
        ASSERT_STREQ(texts[k], readBack[k].data());
    }
    int32_t d[10][kCount] = {};
    ASSERT_EQ(0, DecPowerIndex(kCount, readBack[0].data(), readBack[1].data(), readBack[2].data(), readBack[3].data(),
                               readBack[4].data(), readBack[5].data(), readBack[6].data(), d[0], d[1], d[2], d[3], d[4],
                               d[5], d[6], d[7], d[8], d[9]));
    for (int table = 0; table < 10; ++table) {
        EXPECT_EQ(std::vector<int32_t>(t[table], t[table] + kCount), std::vector<int32_t>(d[table], d[table] + kCount))
            << "table " << table;
    }
}

TEST_P(BoardProcedures, FlashGetOfAnUnknownParameter) {
    std::vector<char> value(kValueRoom);
    std::strcpy(value.data(), "keep");
    EXPECT_EQ(MPDLL_E_REPLY, FlashGet(dev(), "NO_SUCH_PARAMETER", value.data()));
    EXPECT_STREQ("keep", value.data());
    EXPECT_EQ(Lines{"flash get NO_SUCH_PARAMETER"}, board_->commands()) << "no \"flash read\" after a refusal";
}

TEST_P(BoardProcedures, RegisterWriteThenRead) {
    ASSERT_EQ(MPDLL_OK, RegisterSet(dev(), 1, 12, 0x12345678u));
    uint32_t value = 0;
    ASSERT_EQ(MPDLL_OK, RegisterGet(dev(), 1, 12, &value));
    EXPECT_EQ(0x12345678u, value);
    const Lines expected =
        udp() ? Lines{"orf 1 12 12345678", "irf 1 12", "flash read"} : Lines{"orf 1 12 12345678", "irf 1 12"};
    EXPECT_EQ(expected, board_->commands());
}

INSTANTIATE_TEST_SUITE_P(Transports, BoardProcedures,
                         ::testing::Values(MPDLL_MODE_TELNET, MPDLL_MODE_SERIAL, MPDLL_MODE_UDP), mode_test_name);

}  // namespace
