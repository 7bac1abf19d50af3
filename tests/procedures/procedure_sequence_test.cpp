// Transmit, receive and power-tracking procedures against the in-process
// scripted board: the lines each one sends, in order, and how a failing
// step ends the sequence.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/scripted_board.h"

namespace {

using mpdll::test::ScriptedBoard;
using Lines = std::vector<std::string>;

std::string tool(std::string_view rest) { return "iwpriv wlan0 " + std::string(rest); }

const Lines kTxStartLines{tool("mp_bandwidth 40M=1,shortGI=0"),
                          tool("mp_channel 6"),
                          tool("mp_rate 108"),
                          tool("mp_ant_tx A"),
                          tool("mp_txpower patha=30,pathb=-2"),
                          tool("mp_ctx count=100,stone,background")};
const Lines kRxStartLines{tool("mp_arx filter_clean"), tool("mp_bandwidth 40M=0,shortGI=1"), tool("mp_channel 11"),
                          tool("mp_ant_rx B"), tool("mp_arx start")};
const Lines kRxStartAllFiltersLines{tool("mp_bandwidth 40M=0,shortGI=1"),
                                    tool("mp_channel 11"),
                                    tool("mp_ant_rx B"),
                                    tool("mp_arx filter_init"),
                                    tool("mp_arx filter_SA=00:11:22:33:44:55"),
                                    tool("mp_arx filter_DA=66:77:88:99:AA:BB"),
                                    tool("mp_arx filter_BSSID=CC:DD:EE:FF:00:11"),
                                    tool("mp_arx start")};
const Lines kRxStopLines{tool("mp_arx filter_clean"), tool("mp_arx stop")};

int32_t tx_start(DevContext& dev) { return TxStart(&dev, 2, 1, 0, "6", "54M", "A", 30, -2, 100, 0); }
int32_t rx_start(DevContext& dev) { return RxStart(&dev, 0, 1, "11", "B"); }
int32_t rx_start_all_filters(DevContext& dev) {
    return RxStartWithFilter(&dev, 0, 1, "11", "B", "66:77:88:99:AA:BB", "00:11:22:33:44:55", "CC:DD:EE:FF:00:11");
}
int32_t rx_stop(DevContext& dev) { return RxStop(&dev); }

struct Procedure {
    const char* name;
    std::function<int32_t(DevContext&)> run;
    Lines lines;
} const kProcedures[] = {
    {"TxStart", tx_start, kTxStartLines},
    {"RxStart", rx_start, kRxStartLines},
    {"RxStartWithFilter", rx_start_all_filters, kRxStartAllFiltersLines},
    {"RxStop", rx_stop, kRxStopLines},
};

TEST(Procedures, SendTheirLinesInOrderOverTelnet) {
    for (const auto& procedure : kProcedures) {
        ScriptedBoard board(MPDLL_MODE_TELNET);
        EXPECT_EQ(MPDLL_OK, procedure.run(board.dev())) << procedure.name;
        EXPECT_EQ(procedure.lines, board.sent()) << procedure.name;
    }
}

// Over UDP every step's reply must hold "ok": a reply without it at step k
// ends the procedure there with -30004, and no later line is sent.
TEST(Procedures, StopAtTheFirstFailingStep) {
    for (const auto& procedure : kProcedures) {
        for (std::size_t failing = 0; failing < procedure.lines.size(); ++failing) {
            ScriptedBoard board(MPDLL_MODE_UDP);
            board.respond([&](std::string_view line) {
                return line == procedure.lines[failing] ? std::string("failed") : std::string("ok");
            });
            EXPECT_EQ(MPDLL_E_REPLY, procedure.run(board.dev())) << procedure.name << " step " << failing;
            const Lines expected(procedure.lines.begin(), procedure.lines.begin() + failing + 1);
            EXPECT_EQ(expected, board.sent()) << procedure.name << " step " << failing;
        }
    }
}

TEST(Procedures, ReturnTheTransportStatusUnchanged) {
    ScriptedBoard board(MPDLL_MODE_TELNET);
    board.dev().mode = 0;  // after CloseDev
    for (const auto& procedure : kProcedures) {
        EXPECT_EQ(MPDLL_E_MODE, procedure.run(board.dev())) << procedure.name;
    }
    EXPECT_TRUE(board.sent().empty());
}

TEST(TxStop, SendsStopEvenWithoutATransmission) {
    ScriptedBoard board(MPDLL_MODE_UDP);
    board.respond([](std::string_view) { return std::string("ok"); });
    EXPECT_EQ(MPDLL_OK, TxStop(&board.dev()));
    EXPECT_EQ(Lines{tool("mp_ctx stop")}, board.sent());
}

TEST(RxStartWithFilter, SendsOnlyTheFiltersGiven) {
    struct Case {
        const char *da, *sa, *bssid;
        Lines filters;
    } cases[] = {
        {"", "", "", {}},
        {nullptr, nullptr, nullptr, {}},
        {"", "", "CC", {tool("mp_arx filter_BSSID=CC")}},
        {"DD", nullptr, "", {tool("mp_arx filter_DA=DD")}},
        {"DD", "SS", "", {tool("mp_arx filter_SA=SS"), tool("mp_arx filter_DA=DD")}},
    };
    for (const auto& c : cases) {
        ScriptedBoard board(MPDLL_MODE_TELNET);
        EXPECT_EQ(MPDLL_OK, RxStartWithFilter(&board.dev(), 1, 0, "1", "A", c.da, c.sa, c.bssid));
        Lines expected{tool("mp_bandwidth 40M=1,shortGI=0"), tool("mp_channel 1"), tool("mp_ant_rx A"),
                       tool("mp_arx filter_init")};
        expected.insert(expected.end(), c.filters.begin(), c.filters.end());
        expected.push_back(tool("mp_arx start"));
        EXPECT_EQ(expected, board.sent());
    }
}

TEST(RxResetCounter, RepeatsTheLastStepOfRxStart) {
    ScriptedBoard board(MPDLL_MODE_TELNET);
    EXPECT_EQ(MPDLL_OK, RxResetCounter(&board.dev()));
    EXPECT_EQ(Lines{kRxStartLines.back()}, board.sent());
}

TEST(RxQuery, HandsBackOnlyTheReceiveCounters) {
    ScriptedBoard board(MPDLL_MODE_TELNET);
    board.respond([](std::string_view) { return std::string("Tx OK:5, Tx Fail:6, Rx OK:7, CRC error:8\r\n"); });
    int32_t rxOk = -1, crcError = -1;
    EXPECT_EQ(MPDLL_OK, RxQuery(&board.dev(), &rxOk, &crcError));
    EXPECT_EQ(7, rxOk);
    EXPECT_EQ(8, crcError);
    EXPECT_EQ(Lines{tool("mp_query")}, board.sent());
}

TEST(RxQuery, PassesTheQueryFailureOn) {
    ScriptedBoard board(MPDLL_MODE_UDP);
    board.respond([](std::string_view) { return std::string("TX OK:5, TX FAIL:6, RX OK:7, CRC ERROR:8"); });
    int32_t rxOk = -1, crcError = -1;
    EXPECT_EQ(MPDLL_E_REPLY, RxQuery(&board.dev(), &rxOk, &crcError));
    EXPECT_EQ(-1, rxOk);
}

TEST(PowerTrackingOn, ThermalReferenceOnlyFromSevenToTwentyNine) {
    struct Case {
        int32_t thermal;
        const char* word;
    } cases[] = {{6, "start"},  {7, "ther=7"}, {20, "ther=20"}, {29, "ther=29"},
                 {30, "start"}, {0, "start"},  {-5, "start"},   {INT_MIN, "start"}};
    for (const auto& c : cases) {
        ScriptedBoard board(MPDLL_MODE_TELNET);
        EXPECT_EQ(MPDLL_OK, PowerTrackingOn(&board.dev(), c.thermal));
        EXPECT_EQ(Lines{tool("mp_pwrtrk " + std::string(c.word))}, board.sent()) << c.thermal;
    }
}

TEST(PowerTracking, OffSendsStopAndQueryReadsTheThermalValue) {
    ScriptedBoard board(MPDLL_MODE_TELNET);
    board.respond(
        [](std::string_view line) { return line == tool("mp_ther") ? std::string("ther: 25\r\n") : std::string(); });
    EXPECT_EQ(MPDLL_OK, PowerTrackingOff(&board.dev()));
    int32_t thermal = -1;
    EXPECT_EQ(MPDLL_OK, PowerTrackingQuery(&board.dev(), &thermal));
    EXPECT_EQ(25, thermal);
    EXPECT_EQ((Lines{tool("mp_pwrtrk stop"), tool("mp_ther")}), board.sent());
}

TEST(Procedures, NullArgumentsSendNothing) {
    ScriptedBoard board(MPDLL_MODE_TELNET);
    DevContext& dev = board.dev();
    int32_t value = 0;
    const std::function<int32_t()> calls[] = {
        [&] { return TxStart(nullptr, 0, 0, 0, "1", "1M", "A", 0, 0, 0, 0); },
        [&] { return TxStart(&dev, 0, 0, 0, nullptr, "1M", "A", 0, 0, 0, 0); },
        [&] { return TxStart(&dev, 0, 0, 0, "1", nullptr, "A", 0, 0, 0, 0); },
        [&] { return TxStart(&dev, 0, 0, 0, "1", "1M", nullptr, 0, 0, 0, 0); },
        [&] { return TxStop(nullptr); },
        [&] { return RxStart(nullptr, 0, 0, "1", "A"); },
        [&] { return RxStart(&dev, 0, 0, nullptr, "A"); },
        [&] { return RxStart(&dev, 0, 0, "1", nullptr); },
        [&] { return RxStartWithFilter(nullptr, 0, 0, "1", "A", "", "", ""); },
        [&] { return RxStartWithFilter(&dev, 0, 0, nullptr, "A", "", "", ""); },
        [&] { return RxStartWithFilter(&dev, 0, 0, "1", nullptr, "", "", ""); },
        [&] { return RxQuery(nullptr, &value, &value); },
        [&] { return RxQuery(&dev, nullptr, &value); },
        [&] { return RxQuery(&dev, &value, nullptr); },
        [&] { return RxResetCounter(nullptr); },
        [&] { return RxStop(nullptr); },
        [&] { return PowerTrackingOn(nullptr, 20); },
        [&] { return PowerTrackingQuery(nullptr, &value); },
        [&] { return PowerTrackingQuery(&dev, nullptr); },
        [&] { return PowerTrackingOff(nullptr); },
    };
    for (std::size_t i = 0; i < std::size(calls); ++i) {
        EXPECT_EQ(MPDLL_E_ARGUMENT, calls[i]()) << "call " << i;
    }
    EXPECT_TRUE(board.sent().empty());
}

}  // namespace
