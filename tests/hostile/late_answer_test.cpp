// A board that answers a line only after the receive window has closed: its
// late answer must never become the answer to the next line. The board
// owes a prompt for the line it did not answer in time; the next exchange
// passes over that prompt and the text before it, and ends at its own.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "support/board_under_test.h"
#include "support/stopwatch.h"

namespace {

using mpdll::test::BoardUnderTest;
using mpdll::test::Stopwatch;
using mpdll::test::Transport;

struct LateCase {
    const char* name;
    Transport transport;
    bool echoes;
    std::int32_t firstStatus;  // the line answered too late
};

void PrintTo(const LateCase& c, std::ostream* out) { *out << c.name; }

class LateAnswer : public ::testing::TestWithParam<LateCase> {};

TEST_P(LateAnswer, NeverBecomesTheNextLinesAnswer) {
    const LateCase& c = GetParam();
    BoardUnderTest link(c.transport);
    auto dev = link.record();
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);

    mpboard::Faults late;
    late.answer_delay_ms = 8000;
    late.no_echo = !c.echoes;
    link.board().set_faults(late);
    char value[16384] = {};
    const Stopwatch first;
    EXPECT_EQ(FlashGet(dev.get(), "XCAP", value), c.firstStatus);
    EXPECT_LT(first.seconds(), 6.5);

    mpboard::Faults onTime;
    onTime.no_echo = !c.echoes;
    link.board().set_faults(onTime);
    std::memset(value, 0, sizeof value);
    const Stopwatch second;
    EXPECT_EQ(FlashGet(dev.get(), "THER", value), MPDLL_OK);
    EXPECT_STREQ(value, "30") << "the late answer to the first line (XCAP=32) was taken";
    EXPECT_LT(second.seconds(), 5.0) << "the second line's own prompt ends it, not a window";

    // The debt is paid: the next line ends at its own prompt at once.
    const Stopwatch third;
    EXPECT_EQ(FlashGet(dev.get(), "XCAP", value), MPDLL_OK);
    EXPECT_STREQ(value, "32");
    EXPECT_LT(third.seconds(), 1.0);
    CloseDev(dev.get(), link.close_mask());
}

INSTANTIATE_TEST_SUITE_P(Boards, LateAnswer,
                         ::testing::Values(LateCase{"telnet", Transport::telnet, true, MPDLL_E_REPLY},
                                           LateCase{"telnet_without_echo", Transport::telnet, false, MPDLL_E_REPLY},
                                           LateCase{"serial", Transport::serial, true, MPDLL_E_SERIAL_TIMEOUT}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
