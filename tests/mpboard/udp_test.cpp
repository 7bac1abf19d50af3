// The UDP endpoint: reply forms, the two-step read with "flash read", and the
// UDP fault switches.
#include <gtest/gtest.h>

#include "board_clients.h"
#include "support/stopwatch.h"

namespace mpboard::testing {
namespace {

class Udp : public ::testing::Test {
  protected:
    void SetUp() override {
        board_.start();
        exchange("iwpriv wlan0 mp_start");
        exchange("orf 1 12 3ff");
    }
    std::string exchange(const std::string& line, int ms = 1000) {
        client_.send(board_.udp_port(), line);
        return client_.receive(ms);
    }
    Simulator board_{quick_options()};
    UdpClient client_;
};

struct ReadCase {
    const char* name;
    std::string command;
    std::string data;  // the "flash read" reply that follows
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class TwoStepRead : public Udp, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(TwoStepRead, QueryRepliesOkAndFlashReadReturnsItsOutput) {
    EXPECT_EQ(exchange(GetParam().command), "ok");
    EXPECT_EQ(exchange("flash read"), GetParam().data);
}

INSTANTIATE_TEST_SUITE_P(Reads, TwoStepRead,
                         ::testing::Values(ReadCase{"flash_get", "flash get THER", "data:THER=30\n\a"},
                                           ReadCase{"irf", "irf 1 12", "data:wlan0     read_rf:0  0  3  255  \a"},
                                           ReadCase{"chip_version", "cat /proc/wlan0/mib_rf | grep chipVersion",
                                                    "data:  chipVersion: b\n\a"},
                                           ReadCase{"mimo", "cat /proc/wlan0/mib_rf | grep MIMO_TR_hw_support",
                                                    "data:  MIMO_TR_hw_support: 2\n\a"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Udp, ValueRepliesAndErrors) {
    exchange("iwpriv wlan0 mp_ctx pkt,background");
    EXPECT_EQ(exchange("iwpriv wlan0 mp_query"), "Tx OK:97, Tx Fail:3, Rx OK:0, CRC error:0");
    EXPECT_EQ(exchange("iwpriv wlan0 mp_tssi"), "40");
    EXPECT_EQ(exchange("iwpriv wlan0 mp_ther"), "ok");
    std::string error = exchange("iwpriv wlan0 mp_channel 0");
    EXPECT_EQ(error.find("ok"), std::string::npos);
    EXPECT_NE(error.find("Invalid argument"), std::string::npos);
    EXPECT_EQ(exchange("iwpriv wlan0 mp_channel 6\r\n"), "ok") << "a trailing line end is part of the command";
    EXPECT_EQ(board_.commands().back(), "iwpriv wlan0 mp_channel 6");
}

TEST_F(Udp, DropDelayDuplicateAndUpperCase) {
    Faults f;
    f.udp_drop = true;
    board_.set_faults(f);
    EXPECT_EQ(exchange("flash get THER", 300), "");

    f = Faults{};
    f.udp_delay_ms = 200;
    board_.set_faults(f);
    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(exchange("flash get THER"), "ok");
    EXPECT_GE(clock.milliseconds(), 190);

    f = Faults{};
    f.udp_duplicate = true;
    f.upper_case_ok = true;
    board_.set_faults(f);
    EXPECT_EQ(exchange("flash get THER"), "OK");
    EXPECT_EQ(client_.receive(300), "OK");
    EXPECT_EQ(client_.receive(100), "");
}

}  // namespace
}  // namespace mpboard::testing
