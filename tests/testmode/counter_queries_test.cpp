// The counter and sensor queries: the lines sent, the answer forms each mode
// reads, and which outputs are written on failure.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/scripted_board.h"

namespace {

using mpdll::test::ScriptedBoard;

constexpr int32_t kUnset = -999;

struct Counters {
    int32_t txOk = kUnset, txFail = kUnset, rxOk = kUnset, crc = kUnset;
    int32_t query(DevContext& dev) { return mp_query(&dev, &txOk, &txFail, &rxOk, &crc); }
    std::vector<int32_t> values() const { return {txOk, txFail, rxOk, crc}; }
};

struct QueryCase {
    const char* name;
    int mode;
    std::string answer;
    int32_t status;
    std::vector<int32_t> values;
};

TEST(MpQuery, ReadsTheFormOfEachMode) {
    const std::vector<int32_t> unset{kUnset, kUnset, kUnset, kUnset};
    const QueryCase cases[] = {
        {"telnet, prefix",
         2,
         "wlan0     mp_query:\r\n Tx OK:10, Tx Fail:2, Rx OK:300, CRC error:4\r\n",
         MPDLL_OK,
         {10, 2, 300, 4}},
        {"telnet, no prefix", 2, "tx ok:1,\ttx fail:0, rx ok:7, crc error:-3\r\n", MPDLL_OK, {1, 0, 7, -3}},
        {"telnet, leading colon", 2, ":TXOK:1,TXFAIL:2,RXOK:3,CRCERROR:4", MPDLL_E_REPLY, unset},
        {"telnet, garbage", 2, "iwpriv: command not found\r\n", MPDLL_E_REPLY, unset},
        // the second form stores what it reads before it fails
        {"telnet, cut short", 2, "Tx OK:5, Tx Fail:6, Rx OK:x", MPDLL_E_REPLY, {5, 6, kUnset, kUnset}},
        {"udp", 1, "Tx OK:11, Tx Fail:12, Rx OK:13, CRC error:-14", MPDLL_OK, {11, 12, 13, -14}},
        {"udp, upper case", 1, "TX OK:11, TX FAIL:12, RX OK:13, CRC ERROR:14", MPDLL_E_REPLY, unset},
        {"udp, ok only", 1, "ok", MPDLL_E_REPLY, unset},
    };
    for (const QueryCase& c : cases) {
        ScriptedBoard board(c.mode);
        board.respond([&](std::string_view) { return c.answer; });
        Counters counters;
        EXPECT_EQ(counters.query(board.dev()), c.status) << c.name;
        EXPECT_EQ(counters.values(), c.values) << c.name;
        EXPECT_EQ(board.sent(), std::vector<std::string>{"iwpriv wlan0 mp_query"}) << c.name;
    }
}

TEST(MpQuery, PrefixFormThatFailsLateIsOverwrittenByTheSecondForm) {
    // The first form stores TXOK before it fails on the missing TXFAIL label;
    // the second form cannot read a text with a prefix, so TXOK keeps the
    // value the first form stored.
    ScriptedBoard board(2);
    board.respond([](std::string_view) { return std::string("q: Tx OK:8, Rx OK:9"); });
    Counters counters;
    EXPECT_EQ(counters.query(board.dev()), MPDLL_E_REPLY);
    EXPECT_EQ(counters.values(), (std::vector<int32_t>{8, kUnset, kUnset, kUnset}));
}

struct SensorCase {
    const char* name;
    int mode;
    std::string answer;
    int32_t status;
    int32_t value;
};

// Each telnet case waits out the meter's 1000 ms: keep them few.
TEST(MpTher, TelnetReadsTheNumberUdpOnlyTheAcknowledgement) {
    const SensorCase cases[] = {
        {"telnet", 2, "wlan0     mp_ther:\r\n  25\r\n", MPDLL_OK, 25},
        {"telnet, no number", 2, "ther: none", MPDLL_E_REPLY, kUnset},
        {"udp, ok", 1, "ther:31 ok", MPDLL_OK, kUnset},
        {"udp, no ok", 1, "ther:31 OK", MPDLL_E_REPLY, kUnset},
    };
    for (const SensorCase& c : cases) {
        ScriptedBoard board(c.mode);
        board.respond([&](std::string_view) { return c.answer; });
        int32_t value = kUnset;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(mp_ther(&board.dev(), &value), c.status) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
        EXPECT_EQ(board.sent(), std::vector<std::string>{"iwpriv wlan0 mp_ther"}) << c.name;
        if (c.mode == 2) {  // the meter is given 1000 ms before the answer is collected
            EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000)) << c.name;
        }
    }
}

TEST(MpTssi, UdpReadsABareNumberTelnetReadsLikeSerial) {
    const SensorCase cases[] = {
        {"udp", 1, "  -12 units\a", MPDLL_OK, -12},
        {"udp, label", 1, "tssi:5", MPDLL_E_REPLY, kUnset},
        {"telnet", 2, "wlan0     mp_tssi:\r\n 33 \r\n", MPDLL_OK, 33},
        {"telnet, negative", 2, "tssi:-3", MPDLL_OK, -3},
        {"telnet, no colon", 2, "33", MPDLL_E_REPLY, kUnset},
        {"telnet, leading colon", 2, ":33", MPDLL_E_REPLY, kUnset},
    };
    for (const SensorCase& c : cases) {
        ScriptedBoard board(c.mode);
        board.respond([&](std::string_view) { return c.answer; });
        int32_t value = kUnset;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(mp_tssi(&board.dev(), &value), c.status) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
        EXPECT_EQ(board.sent(), std::vector<std::string>{"iwpriv wlan0 mp_tssi"}) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900)) << c.name;
    }
}

TEST(Queries, ModeOutsideTheThreeAndNullPointersSendNothing) {
    int32_t a = kUnset, b = kUnset, c = kUnset, d = kUnset;
    struct Case {
        const char* name;
        int mode;
        std::function<int32_t(DevContext*)> call;
        int32_t status;
    };
    const Case cases[] = {
        {"query mode 3", 3, [&](DevContext* dev) { return mp_query(dev, &a, &b, &c, &d); }, MPDLL_E_MODE},
        {"ther mode 3", 3, [&](DevContext* dev) { return mp_ther(dev, &a); }, MPDLL_E_MODE},
        {"tssi mode 3", 3, [&](DevContext* dev) { return mp_tssi(dev, &a); }, MPDLL_E_MODE},
        {"query null txOk", 2, [&](DevContext* dev) { return mp_query(dev, nullptr, &b, &c, &d); }, MPDLL_E_ARGUMENT},
        {"query null txFail", 2, [&](DevContext* dev) { return mp_query(dev, &a, nullptr, &c, &d); }, MPDLL_E_ARGUMENT},
        {"query null", 2, [&](DevContext* dev) { return mp_query(dev, &a, &b, nullptr, &d); }, MPDLL_E_ARGUMENT},
        {"query null crcError", 2, [&](DevContext* dev) { return mp_query(dev, &a, &b, &c, nullptr); },
         MPDLL_E_ARGUMENT},
        {"ther no record", 2, [&](DevContext*) { return mp_ther(nullptr, &a); }, MPDLL_E_ARGUMENT},
        {"tssi no record", 2, [&](DevContext*) { return mp_tssi(nullptr, &a); }, MPDLL_E_ARGUMENT},
        {"ther null", 2, [&](DevContext* dev) { return mp_ther(dev, nullptr); }, MPDLL_E_ARGUMENT},
        {"tssi null", 2, [&](DevContext* dev) { return mp_tssi(dev, nullptr); }, MPDLL_E_ARGUMENT},
        {"query no record", 2, [&](DevContext*) { return mp_query(nullptr, &a, &b, &c, &d); }, MPDLL_E_ARGUMENT},
    };
    for (const Case& k : cases) {
        ScriptedBoard board(k.mode);
        board.respond([](std::string_view) { return std::string("TXOK:1,TXFAIL:1,RXOK:1,CRCERROR:1"); });
        EXPECT_EQ(k.call(&board.dev()), k.status) << k.name;
        EXPECT_TRUE(board.sent().empty()) << k.name;
    }
    EXPECT_EQ(a, kUnset);
    EXPECT_EQ(d, kUnset);
}

}  // namespace
