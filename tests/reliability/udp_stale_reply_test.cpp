// A UDP reply that comes after its window, or twice, belongs to an earlier
// command: it must never be taken as the answer to a later one. The board's
// two-step read gives every step a distinct answer ("ok", then "data:NAME=..."),
// so a stale reply shows as a wrong answer.
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "figures.h"
#include "mpdll/mpdll.h"
#include "support/board_under_test.h"
#include "support/stopwatch.h"

namespace mpdll::reliability {
namespace {

using namespace test;  // the board under test, its transports and the stopwatch

std::string send(DevContext* dev, const char* line, std::int32_t* status = nullptr) {
    char response[16384];
    const std::int32_t result = SendCommand(dev, line, response, sizeof response, 0, 0);
    if (status != nullptr) *status = result;
    return result == MPDLL_OK ? std::string(response) : "status " + std::to_string(result);
}

class UdpStaleReply : public ::testing::Test {
  protected:
    BoardUnderTest board{Transport::udp};
    std::unique_ptr<DevContext> dev = board.record();

    void SetUp() override { ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK); }
    void TearDown() override { CloseDev(dev.get(), MPDLL_MODE_UDP); }
};

TEST_F(UdpStaleReply, AReplyAfterTheWindowIsNotTheNextCommandsAnswer) {
    constexpr int kLateMs = 6500;  // after the 5-6 s window
    mpboard::Faults late;
    late.udp_delay_ms = kLateMs;
    board.board().set_faults(late);
    const Stopwatch clock;
    std::int32_t status = -1;
    EXPECT_EQ(send(dev.get(), "flash get XCAP", &status), "") << "no reply within the window";
    EXPECT_EQ(status, MPDLL_OK);
    const double window = clock.seconds();
    EXPECT_GE(window, 5.0);
    EXPECT_LE(window, 6.5);

    // The board is prompt again; its late "ok" lands while we are idle.
    board.board().set_faults(mpboard::Faults{});
    std::this_thread::sleep_for(
        std::chrono::milliseconds(kLateMs + 500) -
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(clock.seconds())));
    const std::string answer = send(dev.get(), "flash read");
    EXPECT_EQ(answer, "data:XCAP=32\n\a") << "the late reply was taken as this command's answer";
    record_figure("faults", std::string("udp\treply_late\t") + (answer == "data:XCAP=32\n\a" ? "0\t0\t" : "-1\t0\t") +
                                std::to_string(window) + "\t" + (answer == "data:XCAP=32\n\a" ? "ok" : "FAILED"));
}

TEST_F(UdpStaleReply, DuplicatedRepliesAreNotTakenAsLaterAnswers) {
    mpboard::Faults twice;
    twice.udp_duplicate = true;
    board.board().set_faults(twice);
    struct Step {
        const char* line;
        const char* answer;
    };
    const Step steps[] = {
        {"flash get XCAP", "ok"},
        {"flash read", "data:XCAP=32\n\a"},
        {"flash get THER", "ok"},
        {"flash read", "data:THER=30\n\a"},
    };
    bool allOwn = true;
    for (const Step& step : steps) {
        // The duplicate leaves the board right after the reply; let it land.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string answer = send(dev.get(), step.line);
        EXPECT_EQ(answer, step.answer) << step.line;
        allOwn = allOwn && answer == step.answer;
    }
    record_figure("faults", std::string("udp\treply_duplicated\t") + (allOwn ? "0" : "-1") + "\t0\t0\t" +
                                (allOwn ? "ok" : "FAILED"));
}

// FlashGet sends "flash read" as soon as the "ok" of "flash get" is in: the
// duplicate of that "ok" may still be on its way, and must not become the
// answer to "flash read".
TEST_F(UdpStaleReply, TheTwoStepReadIsNotFooledByADuplicatedOk) {
    mpboard::Faults twice;
    twice.udp_duplicate = true;
    board.board().set_faults(twice);
    int wrong = 0;
    for (int round = 0; round < 5; ++round) {
        char value[16384] = {};
        const std::int32_t status = FlashGet(dev.get(), "XCAP", value);
        wrong += status != MPDLL_OK || std::string(value) != "32";
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(wrong, 0) << "of 5 reads, " << wrong << " took the duplicated ok as the data reply";
    record_figure("faults", std::string("udp\tflash_get_with_duplicated_replies\t") + (wrong == 0 ? "0" : "-30004") +
                                "\t0\t0\t" + (wrong == 0 ? "ok" : "FAILED"));
}

}  // namespace
}  // namespace mpdll::reliability
