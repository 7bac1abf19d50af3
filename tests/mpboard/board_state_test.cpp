// The simulated board's commands and state: test mode, counters and filters,
// thermal drift, flash, registers, /proc, and the answer forms the library scans.
#include <cstdio>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "board.h"

namespace mpboard {
namespace {

// Whitespace removed and letters upper-cased, as the library reads telnet answers.
std::string normal_form(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

class BoardState : public ::testing::Test {
  protected:
    Board board_{Options{}};
    std::string run(const std::string& line) { return board_.run(line).output; }
    void start_test_mode() { ASSERT_FALSE(board_.run("iwpriv wlan0 mp_start").error); }
    Counters query() {
        Counters c;
        std::string text = normal_form(run("iwpriv wlan0 mp_query"));
        long long v[4];
        char label[64];
        EXPECT_EQ(std::sscanf(text.c_str(), "%63[^:]:TXOK:%lld,TXFAIL:%lld,RXOK:%lld,CRCERROR:%lld", label, &v[0],
                              &v[1], &v[2], &v[3]),
                  5)
            << text;
        c.tx_ok = v[0], c.tx_fail = v[1], c.rx_ok = v[2], c.crc_error = v[3];
        return c;
    }
};

TEST_F(BoardState, TestModeCommandsFailUntilMpStart) {
    const char* lines[] = {"iwpriv wlan0 mp_channel 6",          "iwpriv wlan0 mp_query", "iwpriv wlan0 mp_arx start",
                           "iwpriv wlan0 mp_ctx pkt,background", "iwpriv wlan0 mp_ther",  "iwpriv wlan0 mp_stop"};
    for (const char* line : lines) EXPECT_TRUE(board_.run(line).error) << line;
    start_test_mode();
    for (const char* line : lines) EXPECT_FALSE(board_.run(line).error) << line;
    EXPECT_FALSE(board_.test_mode()) << "mp_stop left test mode on";
}

TEST_F(BoardState, ErrorTextsNeverHoldALowerCaseOk) {
    start_test_mode();
    const char* bad[] = {"iwpriv wlan0 mp_channel 15",
                         "iwpriv wlan0 mp_rate 54",
                         "iwpriv wlan0 mp_bandwidth 40M=2,shortGI=0",
                         "iwpriv wlan0 mp_txpower patha=64,pathb=0",
                         "iwpriv wlan0 mp_bssid 00:11:22",
                         "iwpriv wlan0 mp_ant_tx c",
                         "iwpriv wlan0 mp_arx filter_DA=zz",
                         "iwpriv wlan0 mp_ctx ",
                         "iwpriv wlan0 mp_pwrtrk ther=99",
                         "iwpriv wlan0 mp_bogus",
                         "iwpriv wlan9 mp_start",
                         "flash get NO_SUCH",
                         "irf 4 0",
                         "orf 0 0 xyz",
                         "cat /proc/wlan0/other",
                         "ifconfig eth0 up"};
    for (const char* line : bad) {
        Answer a = board_.run(line);
        EXPECT_TRUE(a.error) << line;
        EXPECT_EQ(a.output.find("ok"), std::string::npos) << line << " -> " << a.output;
    }
}

struct TransmitCase {
    const char* name;
    std::string words;            // mp_ctx words
    std::vector<long long> sent;  // TX OK + TX Fail at each reading
    long long last_failed;        // TX Fail at the last reading
};
void PrintTo(const TransmitCase& c, std::ostream* os) { *os << c.name; }

class TransmitCounters : public BoardState, public ::testing::WithParamInterface<TransmitCase> {};

TEST_P(TransmitCounters, FollowThePacketCount) {
    start_test_mode();
    run("iwpriv wlan0 mp_ctx " + GetParam().words);
    Counters c;
    for (long long sent : GetParam().sent) {
        c = query();
        EXPECT_EQ(c.tx_ok + c.tx_fail, sent);
    }
    EXPECT_EQ(c.tx_fail, GetParam().last_failed);
}

INSTANTIATE_TEST_SUITE_P(
    Bursts, TransmitCounters,
    ::testing::Values(TransmitCase{"count_250_at_once", "count=250,pkt,background", {250, 250, 250}, 7},
                      TransmitCase{"count_3_at_once", "count=3,pkt,background", {3, 3}, 0},
                      TransmitCase{"no_count_grows_per_reading",
                                   "pkt,background",
                                   {tx_ok_per_query + tx_fail_per_query, 2 * (tx_ok_per_query + tx_fail_per_query)},
                                   2 * tx_fail_per_query},
                      TransmitCase{"single_tone_sends_nothing", "count=100,stone,background", {0, 0}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardState, RestartingReceptionZeroesOnlyTheReceiveCounters) {
    start_test_mode();
    run("iwpriv wlan0 mp_ctx count=100,pkt,background");
    run("iwpriv wlan0 mp_arx start");
    query();
    EXPECT_EQ(query().rx_ok, 2 * (kTester.intact + kNeighbour.intact));
    run("iwpriv wlan0 mp_arx start");
    EXPECT_EQ(board_.counters().rx_ok, 0);
    EXPECT_EQ(board_.counters().crc_error, 0);
    EXPECT_EQ(board_.counters().tx_ok + board_.counters().tx_fail, 100) << "the transmit counters went too";
}

// Boards set up to fail a station's limits: each reading as set, or the
// board's own when not.
struct ReadingCase {
    const char* name;
    Measurements set;
    int thermal, tssi;
    long long tx_fail, crc_error;  // of 100 frames sent, and of one reading of the tester alone
};
void PrintTo(const ReadingCase& c, std::ostream* os) { *os << c.name; }

class Readings : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(Readings, FollowTheBoardsSettings) {
    Options options;
    options.measurements = GetParam().set;
    Board board(options);
    auto number = [&](const std::string& line) {
        long long value = -1;
        std::sscanf(normal_form(board.run(line).output).c_str(), "%*[^:]:%lld", &value);
        return value;
    };
    ASSERT_FALSE(board.run("iwpriv wlan0 mp_start").error);
    EXPECT_EQ(number("iwpriv wlan0 mp_ther"), GetParam().thermal);
    ASSERT_FALSE(board.run("iwpriv wlan0 mp_txpower patha=30,pathb=30").error);
    ASSERT_FALSE(board.run("iwpriv wlan0 mp_arx filter_SA=" + std::string(kTester.sa)).error);
    ASSERT_FALSE(board.run("iwpriv wlan0 mp_arx start").error);
    ASSERT_FALSE(board.run("iwpriv wlan0 mp_ctx count=100,pkt,background").error);
    EXPECT_EQ(number("iwpriv wlan0 mp_tssi"), GetParam().tssi);
    board.run("iwpriv wlan0 mp_query");
    const Counters c = board.counters();
    EXPECT_EQ(c.tx_fail, GetParam().tx_fail);
    EXPECT_EQ(c.tx_ok, 100 - GetParam().tx_fail);
    EXPECT_EQ(c.crc_error, GetParam().crc_error);
    EXPECT_EQ(c.rx_ok, kTester.intact + kTester.damaged - GetParam().crc_error);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Readings,
    ::testing::Values(ReadingCase{"own", {}, 30, 40 + 30 / 2, tx_fail_per_query, kTester.damaged},
                      ReadingCase{"hot", {.thermal = 75}, 75, 55, tx_fail_per_query, kTester.damaged},
                      ReadingCase{"weak_tssi", {.tssi = 5}, 30, 5, tx_fail_per_query, kTester.damaged},
                      ReadingCase{"lossy", {.packet_error_rate = 20}, 30, 55, 20, 20},
                      ReadingCase{"every_frame_lost", {.packet_error_rate = 100}, 30, 55, 100, 100}),
    [](const auto& info) { return std::string(info.param.name); });

struct FilterCase {
    const char* name;
    std::string filter;  // mp_arx word, "" for none
    int rx_ok, crc;
};
void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

class RxFilters : public BoardState, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(RxFilters, OnlyMatchingFramesCount) {
    start_test_mode();
    if (!GetParam().filter.empty()) {
        ASSERT_FALSE(board_.run("iwpriv wlan0 mp_arx " + GetParam().filter).error);
    }
    run("iwpriv wlan0 mp_arx start");
    query();
    Counters c = query();
    EXPECT_EQ(c.rx_ok, 2 * GetParam().rx_ok);
    EXPECT_EQ(c.crc_error, 2 * GetParam().crc);
    run("iwpriv wlan0 mp_arx start");
    EXPECT_EQ(query().rx_ok, GetParam().rx_ok) << "restart did not reset the counters";
}

INSTANTIATE_TEST_SUITE_P(
    Filters, RxFilters,
    ::testing::Values(FilterCase{"none", "", kTester.intact + kNeighbour.intact, kTester.damaged + kNeighbour.damaged},
                      FilterCase{"da_tester", std::string("filter_DA=") + kTester.da, kTester.intact, kTester.damaged},
                      FilterCase{"sa_neighbour", std::string("filter_SA=") + kNeighbour.sa, kNeighbour.intact,
                                 kNeighbour.damaged},
                      FilterCase{"bssid_upper_case", "filter_BSSID=02:00:00:00:00:01", kTester.intact, kTester.damaged},
                      FilterCase{"bssid_nobody", "filter_BSSID=02:00:00:00:00:42", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardState, FilterReportMatchesTheLibraryScan) {
    start_test_mode();
    run("iwpriv wlan0 mp_arx filter_SA=02:00:00:00:00:01");
    run("iwpriv wlan0 mp_arx filter_BSSID=02:00:00:00:00:0a");
    std::string text = normal_form(run("iwpriv wlan0 mp_arx filter_print"));
    char prefix[64], sa[18], da[18], bssid[18];
    int flag = 0;
    ASSERT_EQ(std::sscanf(text.c_str(), "%63[^:]:FLAG:%dSA:%17sDA:%17sBSSID:%17s", prefix, &flag, sa, da, bssid), 5)
        << text;
    EXPECT_STREQ(sa, "02:00:00:00:00:01");
    EXPECT_STREQ(da, "00:00:00:00:00:00");
    EXPECT_STREQ(bssid, "02:00:00:00:00:0A");
    EXPECT_EQ(flag, 6);
    EXPECT_NE(run("iwpriv wlan0 mp_arx filter_clean").find("FLAG:0"), std::string::npos);
}

TEST_F(BoardState, ThermalMeterWarmsWhileTransmittingAndCoolsAfter) {
    start_test_mode();
    auto thermal = [&] {
        int value = 0;
        EXPECT_EQ(std::sscanf(normal_form(run("iwpriv wlan0 mp_ther")).c_str(), "%*[^:]:%d", &value), 1);
        return value;
    };
    EXPECT_EQ(thermal(), 30);
    run("iwpriv wlan0 mp_ctx pkt,background");
    EXPECT_EQ(thermal(), 31);
    EXPECT_EQ(thermal(), 32);
    run("iwpriv wlan0 mp_ctx stop");
    EXPECT_EQ(thermal(), 31);
}

TEST_F(BoardState, RegistersHoldWhatOrfWrote) {
    EXPECT_EQ(run("irf 1 12"), run("irf 1 12")) << "an unwritten register changes between reads";
    EXPECT_FALSE(board_.run("orf 1 12 3ff").error);
    EXPECT_EQ(run("irf 1 12"), "wlan0     read_rf:0  0  3  255  \n");
    EXPECT_FALSE(board_.run("orf 0 36 ffffffff").error);
    EXPECT_EQ(run("irf 0 36"), "wlan0     read_rf:255  255  255  255  \n");
    EXPECT_NE(run("irf 0 37"), run("irf 0 36"));
}

TEST_F(BoardState, ProcGrepReturnsTheMatchingLine) {
    EXPECT_EQ(normal_form(run("cat /proc/wlan0/mib_rf | grep chipVersion")), "CHIPVERSION:B");
    EXPECT_EQ(normal_form(run("cat /proc/wlan0/mib_rf | grep MIMO_TR_hw_support")), "MIMO_TR_HW_SUPPORT:2");
}

TEST(FlashStore, PersistsAndLivesInItsFile) {
    std::string path = ::testing::TempDir() + "mpboard_flash.txt";
    std::remove(path.c_str());
    Options o;
    o.flash_file = path;
    {
        Board board(o);
        EXPECT_EQ(board.run("flash get TXPWR_CCK_A").output.size(), std::string("TXPWR_CCK_A=\n").size() + 28);
        EXPECT_FALSE(board.run("flash set TXPWR_CCK_A 2B2B2B2B2B2B2B2B2B2B2B2B2B2B").error);
        EXPECT_FALSE(board.run("flash set NOTE two words").error);
        EXPECT_EQ(board.flash_value("NOTE"), "two words");
    }
    Board reloaded(o);
    EXPECT_EQ(reloaded.run("flash get TXPWR_CCK_A").output, "TXPWR_CCK_A=2B2B2B2B2B2B2B2B2B2B2B2B2B2B\n");
    EXPECT_EQ(reloaded.flash_value("THER"), "30") << "seed lost when the file was loaded";
}

}  // namespace
}  // namespace mpboard
