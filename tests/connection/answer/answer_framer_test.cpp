// Framing one line's answer: the echo of that line starts it, the prompt
// that ends the text ends it, prompts owed by earlier lines are passed over,
// and when the receive ends without an answer no other line's text is
// taken and no debt outlives the evidence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connection/answer/answer_framer.h"

namespace {

using mpdll::AnswerFramer;
using mpdll::FramingRules;

struct FrameCase {
    const char* name;
    std::string line;
    bool echoExpected;
    std::size_t owed;
    std::vector<std::string> chunks;
    bool completeAfterLastChunk;  // before any close
    bool completeAfterClose;
    std::string answer;
    std::size_t owedAfter;
    std::string before = {};
};

void PrintTo(const FrameCase& c, std::ostream* out) { *out << c.name; }

const std::string kWrapped = std::string(80, 'x') + " \r" + std::string(20, 'x');

const std::vector<FrameCase> kCases = {
    {"echo_answer_prompt", "flash get XCAP", false, 0, {"flash get XCAP\r\n", "XCAP=32\r\n# "}, true, true,
     "\r\nXCAP=32\r\n", 0},
    {"prompt_text_inside_the_echo", "flash get XCAP # crystal trim", false, 0,
     {"flash get XCAP # ", "crystal trim\r\n", "XCAP=32\r\n# "}, true, true, "\r\nXCAP=32\r\n", 0},
    {"prompt_text_in_mid_answer_split_across_writes", "cat f", true, 0, {"cat f\r\na=1\r\n# comm", "ent\r\nb=2\r\n# "},
     true, true, "\r\na=1\r\n# comment\r\nb=2\r\n", 0},
    {"late_answer_before_the_echo_of_an_echoing_board", "B", true, 1, {"A-out\r\n# ", "B\r\n", "B-out\r\n# "}, true,
     true, "\r\nB-out\r\n", 0},
    {"late_answer_after_an_at_once_echo", "B", true, 1, {"B\r\n", "A-out\r\n# ", "B-out\r\n# "}, true, true,
     "B-out\r\n", 0},
    {"line_typed_ahead_and_drawn_again_after_the_late_prompt", "B", true, 1,
     {"B\r\n", "A-out\r\n# ", "B\r\n", "B-out\r\n# "}, true, true, "\r\nB-out\r\n", 0},
    {"no_echo_board", "flash get THER", false, 0, {"THER=30\r\n# "}, true, true, "THER=30\r\n", 0},
    {"no_echo_board_with_a_late_answer", "flash get THER", false, 1, {"XCAP=32\r\n# ", "THER=30\r\n# "}, true, true,
     "THER=30\r\n", 0},
    {"dropped_line_on_an_echoing_board", "B", true, 0, {}, false, false, "", 0},
    {"mute_line_echo_without_prompt", "B", true, 0, {"B\r\n"}, false, false, "\r\n", 1},
    {"silent_board_without_echo_owes_one_more", "B", false, 2, {}, false, false, "", 3},
    {"one_prompt_where_two_were_needed_keeps_the_rest_owed", "B", true, 1, {"B\r\n", "B-out\r\n# "}, false, false, "",
     1},
    {"late_prompt_alone_is_not_the_answer", "B", true, 0, {"# "}, false, true, "", 0},
    {"echo_wrapped_by_a_line_editor", std::string(100, 'x'), true, 0, {kWrapped + "\r\n", "ok\r\n# "}, true, true,
     "\r\nok\r\n", 0},
    {"echo_redrawn_with_escape_sequences", "ls -l", true, 0, {"l\x1b[Ks -\x1b[1Cl\r\n", "total 0\r\n# "}, true, true,
     "\r\ntotal 0\r\n", 0},
    {"prompt_split_around_the_start_pays_the_debt", "B", false, 1, {" B-out\r\n# "}, true, true, "B-out\r\n", 0, "#"},
    {"answer_holding_the_line_text_later", "ps", true, 0, {"ps\r\n", "  1 root  ps\r\n# "}, true, true,
     "\r\n  1 root  ps\r\n", 0},
    {"prompt_in_mid_text_followed_by_more_does_not_end", "ls", true, 0, {"ls\r\nnotes# todo\r\n"}, false, false,
     "\r\nnotes# todo\r\n", 1},
};

class Framing : public ::testing::TestWithParam<FrameCase> {};

TEST_P(Framing, FramesThisLinesOwnAnswer) {
    const FrameCase& c = GetParam();
    AnswerFramer framer(FramingRules{c.line, "# ", c.echoExpected, c.owed, false}, c.before);
    bool complete = false;
    for (const std::string& chunk : c.chunks) complete = framer.add(chunk);
    EXPECT_EQ(complete, c.completeAfterLastChunk);
    EXPECT_EQ(framer.close(), c.completeAfterClose);
    EXPECT_EQ(framer.answer(false), c.answer);
    EXPECT_EQ(framer.owed_after(), c.owedAfter);
}

INSTANTIATE_TEST_SUITE_P(Lines, Framing, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A board that sits quiet at a prompt owes nothing more: the prompt a debt
// waited for was lost (or never printed), and this line's answer is the
// text before that prompt.
TEST(Framing, AnIdlePromptSettlesAWrongDebt) {
    AnswerFramer echoing(FramingRules{"B", "# ", true, 1, false});
    EXPECT_FALSE(echoing.add("B\r\nB-out\r\n# "));
    EXPECT_TRUE(echoing.idle_at_prompt_owing());
    echoing.take_idle_prompt();
    EXPECT_TRUE(echoing.complete());
    EXPECT_EQ(echoing.answer(false), "\r\nB-out\r\n");
    EXPECT_EQ(echoing.owed_after(), 0u);

    AnswerFramer withoutEcho(FramingRules{"B", "# ", false, 2, false});
    EXPECT_FALSE(withoutEcho.add("A-out\r\n# B-out\r\n# "));
    withoutEcho.take_idle_prompt();
    EXPECT_EQ(withoutEcho.answer(false), "B-out\r\n") << "only the text after the prompt before the last";

    AnswerFramer midText(FramingRules{"ls", "# ", true, 1, false});
    EXPECT_FALSE(midText.add("ls\r\nnotes# todo\r\n"));
    EXPECT_FALSE(midText.idle_at_prompt_owing()) << "a text that does not end with the prompt is no idle board";
}

// A board whose line editor puts a terminal query behind each real prompt:
// the prompt's text without it is output, and the query is learned from the
// prompt that ends an answer.
TEST(Framing, APromptTrailerTellsARealPromptFromItsText) {
    AnswerFramer framer(FramingRules{"cat f", "# ", true, 0, false, "\x1b[6n"});
    EXPECT_FALSE(framer.add("cat f\r\n# "));
    EXPECT_TRUE(framer.only_echo_missing()) << "a quiet board settles a trailer that never comes";
    EXPECT_FALSE(framer.add("settings\r\n# "));
    EXPECT_TRUE(framer.add("\x1b[6n"));
    EXPECT_EQ(framer.answer(false), "\r\n# settings\r\n");
    EXPECT_EQ(framer.trailer_seen(), "\x1b[6n");

    AnswerFramer learning(FramingRules{"ls", "# ", true, 0, false});
    EXPECT_TRUE(learning.add("ls\r\na\r\n# \x1b[6n"));
    EXPECT_EQ(learning.trailer_seen(), "\x1b[6n");
    EXPECT_EQ(learning.answer(false), "\r\na\r\n");
}

TEST(Framing, EndsOnlyWhenThePromptEndsTheText) {
    AnswerFramer framer(FramingRules{"cat f", "root@b:~# ", false, 0, false});
    EXPECT_FALSE(framer.add("cat f\r\nresult\r\nroot@b"));
    EXPECT_FALSE(framer.add(":~"));
    EXPECT_TRUE(framer.add("# "));
    EXPECT_EQ(framer.answer(false), "\r\nresult\r\n");
    EXPECT_EQ(framer.answer(true), "\r\nresult\r\nroot@b:~# ");
}

TEST(Framing, QuietWaitTakesTheFirstBurstAndEmptyPromptTheFirstData) {
    AnswerFramer quiet(FramingRules{"", "# ", false, 0, true});
    EXPECT_TRUE(quiet.add("login: "));
    EXPECT_EQ(quiet.answer(false), "login: ");

    AnswerFramer noPrompt(FramingRules{"echo hi", "", true, 0, false});
    EXPECT_TRUE(noPrompt.add("echo hi\r\nhi"));
    EXPECT_EQ(noPrompt.answer(false), "\r\nhi");
    EXPECT_EQ(noPrompt.owed_after(), 0u);
}

TEST(Framing, AnAnswerLongerThanTheTextKeptStillEndsAtItsPrompt) {
    AnswerFramer framer(FramingRules{"dump", "end> ", true, 0, false});
    EXPECT_FALSE(framer.add("dump\r\n"));
    for (int i = 0; i < 40; ++i) EXPECT_FALSE(framer.add(std::string(1000, 'x')));
    EXPECT_FALSE(framer.add("\r\nen"));
    EXPECT_TRUE(framer.add("d> "));
    const std::string_view answer = framer.answer(false);
    EXPECT_EQ(answer.substr(0, 3), "\r\nx");
    EXPECT_EQ(answer.size(), 16383u - 4u);
    EXPECT_EQ(framer.text().size(), 16383u);
}

TEST(Framing, NulBytesAreDroppedFromAChunk) {
    char chunk[] = {'o', 'k', '\r', '\0', '\n', '\0', '\0', '#', ' '};
    EXPECT_EQ(mpdll::without_nul_bytes(chunk, sizeof chunk), "ok\r\n# ");
}

}  // namespace
