// An answer re-opened by text that comes after its prompt (the settle after
// the prompt reads on): all the text is framed again by the same rules, and
// the prompt that then ends the text ends the answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connection/answer/answer_framer.h"

namespace {

using mpdll::AnswerFramer;
using mpdll::FramingRules;

struct ReopenCase {
    const char* name;
    std::string line;
    bool echoExpected;
    std::string prompt;
    std::vector<std::string> untilComplete;  // the answer is complete after the last of these
    std::string firstAnswer;                 // the answer then
    std::vector<std::string> later;          // what comes while the receive settles
    bool completeAfterLater;                 // before any close
    bool completeAfterClose;
    std::string answer;
    std::size_t owedAfter;
    std::string promptTrailer = {};
};

void PrintTo(const ReopenCase& c, std::ostream* out) { *out << c.name; }

// When the rest never ends with a prompt (a kernel message after the
// prompt), the answer is the one that prompt ended and the board owes
// nothing. On a board whose real prompts carry a trailer, the prompt's text
// without it does not end the re-opened answer either.
const std::vector<ReopenCase> kReopenCases = {
    {"prompt_text_at_the_end_of_a_write_then_the_rest", "flash get XCAP", true, "# ",
     {"flash get XCAP\r\n", "XCAP=v\r\n# "}, "\r\nXCAP=v\r\n", {"trim\r\n", "# "}, true, true,
     "\r\nXCAP=v\r\n# trim\r\n", 0},
    {"prompt_text_first_then_the_whole_answer", "flash get XCAP", true, "# ", {"flash get XCAP\r\n# "}, "\r\n",
     {"settings\r\nXCAP=v\r\n# "}, true, true, "\r\n# settings\r\nXCAP=v\r\n", 0},
    {"a_prompt_printed_twice", "flash get XCAP", true, "# ", {"flash get XCAP\r\nXCAP=v\r\n# "}, "\r\nXCAP=v\r\n",
     {"# "}, true, true, "\r\nXCAP=v\r\n# ", 0},
    {"board_without_echo", "flash get XCAP", false, "# ", {"XCAP=v\r\n# "}, "XCAP=v\r\n", {"trim\r\n# "}, true, true,
     "XCAP=v\r\n# trim\r\n", 0},
    {"prompt_split_across_the_later_writes", "cat f", true, "root@b:~# ", {"cat f\r\na\r\nroot@b:~# "}, "\r\na\r\n",
     {"b\r\nroot@", "b:~# "}, true, true, "\r\na\r\nroot@b:~# b\r\n", 0},
    {"kernel_message_after_the_prompt", "flash get XCAP", true, "# ", {"flash get XCAP\r\nXCAP=v\r\n# "}, "\r\nXCAP=v\r\n",
     {"[  12.345678] usb 1-1: new device\r\n"}, false, true, "\r\nXCAP=v\r\n", 0},
    {"prompt_text_without_the_trailer_in_the_rest", "cat f", true, "# ", {"cat f\r\na\r\n# \x1b[6n"}, "\r\na\r\n",
     {"b\r\n# "}, false, true, "\r\na\r\n", 0, "\x1b[6n"},
    {"empty_prompt_takes_the_rest_too", "echo hi", true, "", {"echo hi\r\nhi"}, "\r\nhi", {"\r\n"}, true, true,
     "\r\nhi\r\n", 0},
};

class Reopening : public ::testing::TestWithParam<ReopenCase> {};

TEST_P(Reopening, FramesAllTheTextAgain) {
    const ReopenCase& c = GetParam();
    AnswerFramer framer(FramingRules{c.line, c.prompt, c.echoExpected, 0, false, c.promptTrailer});
    bool complete = false;
    for (const std::string& chunk : c.untilComplete) complete = framer.add(chunk);
    ASSERT_TRUE(complete);
    EXPECT_EQ(framer.answer(false), c.firstAnswer);
    for (const std::string& chunk : c.later) complete = framer.add(chunk);
    EXPECT_EQ(complete, c.completeAfterLater);
    EXPECT_EQ(framer.close(), c.completeAfterClose);
    EXPECT_EQ(framer.answer(false), c.answer);
    EXPECT_EQ(framer.owed_after(), c.owedAfter);
    EXPECT_EQ(framer.text().substr(framer.text().size() - c.later.back().size()), c.later.back());
}

INSTANTIATE_TEST_SUITE_P(Lines, Reopening, ::testing::ValuesIn(kReopenCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Nothing after the prompt leaves the answer as it was; an empty read
// re-opens nothing.
TEST(Reopening, AnEmptyReadKeepsTheAnswer) {
    AnswerFramer framer(FramingRules{"ls", "# ", true, 0, false});
    ASSERT_TRUE(framer.add("ls\r\na\r\n# "));
    EXPECT_TRUE(framer.add(""));
    EXPECT_EQ(framer.answer(true), "\r\na\r\n# ");
}

}  // namespace
