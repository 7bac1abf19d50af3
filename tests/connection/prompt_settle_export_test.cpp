// MpdllSetPromptSettle: the arguments and records it refuses (leaving the
// record as it was), and the settle's life with the connection: taken after
// OpenDev, gone with CloseDev, back to 0 when OpenDev opens it again.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/terminal_link.h"

namespace {

using mpdll::test::ShellStep;
using mpdll::test::TerminalLink;
using mpdll::test::Wire;

struct Refused {
    const char* name;
    bool nullRecord;
    std::int32_t mode;
    std::uint32_t openFlags;
    std::int32_t milliseconds;
    std::int32_t status;
};
void PrintTo(const Refused& r, std::ostream* out) { *out << r.name; }

const Refused kRefused[] = {
    {"null_record", true, MPDLL_MODE_TELNET, MPDLL_MODE_TELNET, 100, MPDLL_E_ARGUMENT},
    {"negative", false, MPDLL_MODE_TELNET, MPDLL_MODE_TELNET, -1, MPDLL_E_ARGUMENT},
    {"lowest_number", false, MPDLL_MODE_SERIAL, MPDLL_MODE_SERIAL, INT32_MIN, MPDLL_E_ARGUMENT},
    {"above_the_longest", false, MPDLL_MODE_SERIAL, MPDLL_MODE_SERIAL, MPDLL_PROMPT_SETTLE_MAX_MS + 1,
     MPDLL_E_ARGUMENT},
    {"udp_record", false, MPDLL_MODE_UDP, MPDLL_MODE_UDP, 100, MPDLL_E_MODE},
    {"udp_record_with_zero", false, MPDLL_MODE_UDP, MPDLL_MODE_UDP, 0, MPDLL_E_MODE},
    {"no_mode", false, 0, 0, 100, MPDLL_E_MODE},
    {"telnet_not_open", false, MPDLL_MODE_TELNET, 0, 100, MPDLL_E_OPEN},
    {"serial_record_with_only_telnet_open", false, MPDLL_MODE_SERIAL, MPDLL_MODE_TELNET, 100, MPDLL_E_OPEN},
    // The flag says open, but no OpenDev opened this record.
    {"flag_set_by_hand", false, MPDLL_MODE_TELNET, MPDLL_MODE_TELNET, 100, MPDLL_E_OPEN},
};

class PromptSettleRefused : public ::testing::TestWithParam<Refused> {};

TEST_P(PromptSettleRefused, ReturnsItsStatusAndLeavesTheRecord) {
    const Refused& r = GetParam();
    DevContext dev{};
    dev.mode = r.mode;
    dev.openFlags = r.openFlags;
    std::strncpy(dev.prompt, "# ", sizeof dev.prompt - 1);
    DevContext before = dev;
    EXPECT_EQ(MpdllSetPromptSettle(r.nullRecord ? nullptr : &dev, r.milliseconds), r.status);
    EXPECT_EQ(std::memcmp(&dev, &before, sizeof dev), 0);
}

INSTANTIATE_TEST_SUITE_P(Records, PromptSettleRefused, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

// The answer to "flash get XCAP" when the board writes the prompt's text
// at the end of one write and the rest of the answer 150 ms later.
std::string split_answer(TerminalLink& link) {
    link.board().script_next("flash get XCAP",
                             {ShellStep{200, "XCAP=v_XCAP\n# "}, ShellStep{150, "trim\n"}, ShellStep{0, "# "}});
    std::vector<char> response(MPDLL_RESPONSE_SIZE);
    const std::int32_t status =
        SendCommand(link.dev(), "flash get XCAP", response.data(), MPDLL_RESPONSE_SIZE, 0, MPDLL_WAIT_NONE);
    EXPECT_EQ(status, MPDLL_OK);
    return response.data();
}

TEST(PromptSettle, LastsAsLongAsTheConnection) {
    TerminalLink link(Wire::serial, true);
    ASSERT_EQ(link.open(), MPDLL_OK);
    EXPECT_EQ(MpdllSetPromptSettle(link.dev(), 0), MPDLL_OK);
    EXPECT_EQ(MpdllSetPromptSettle(link.dev(), MPDLL_PROMPT_SETTLE_MAX_MS), MPDLL_OK);
    ASSERT_EQ(MpdllSetPromptSettle(link.dev(), 400), MPDLL_OK);
    EXPECT_EQ(split_answer(link), "\r\nXCAP=v_XCAP\r\n# trim\r\n");

    ASSERT_EQ(CloseDev(link.dev(), MPDLL_MODE_SERIAL), MPDLL_OK);
    // CloseDev leaves mode 0: the record is no telnet or serial one now.
    EXPECT_EQ(MpdllSetPromptSettle(link.dev(), 400), MPDLL_E_MODE);
    link.dev()->mode = MPDLL_MODE_SERIAL;
    EXPECT_EQ(MpdllSetPromptSettle(link.dev(), 400), MPDLL_E_OPEN);

    // Opened again, the record starts without a settle: the answer ends at
    // the prompt's text.
    ASSERT_EQ(link.open(), MPDLL_OK);
    EXPECT_EQ(split_answer(link), "\r\nXCAP=v_XCAP\r\n");
}

}  // namespace
