// Finding the prompt: RcvPrompt on a text, and the counter that watches the
// received chunks of one receive.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "connection/answer/prompt_search.h"
#include "mpdll/mpdll.h"

namespace {

struct PromptCase {
    std::string prompt, text;
    int32_t wait, expected;
};

TEST(RcvPrompt, OffsetsAndLineEndVariants) {
    const std::vector<PromptCase> cases = {
        {"# ", "ls\r\nfile\r\n# ", 0, 10},
        {"# ", "ls\r\nfile\r\n", 0, -1},
        {"# ", "no prompt here", MPDLL_WAIT_QUIET, 0},
        {"", "anything", 0, 0},
        {"\n\r# ", "out\r\n# ", 0, 3},  // configured LF CR matches CR LF
        {"\r\n# ", "out\n\r# ", 0, 3},  // and the reverse
        {"\r\n# ", "out\r\n# ", 0, 3},
        {"\r\n# ", "out\n# ", 0, -1},
        {"Board>", "board>", 0, -1},         // case-sensitive
        {"a\n\rb\n\r", "a\r\nb\n\r", 0, 0},  // only the first line end is turned
        {"a\n\rb\n\r", "a\r\nb\r\n", 0, -1},
    };
    auto dev = std::make_unique<DevContext>();
    for (const PromptCase& c : cases) {
        std::memset(dev->prompt, 0, sizeof dev->prompt);
        std::memcpy(dev->prompt, c.prompt.data(), c.prompt.size());
        EXPECT_EQ(RcvPrompt(dev.get(), c.text.c_str(), c.wait), c.expected) << "prompt \"" << c.prompt << "\"";
    }
    EXPECT_EQ(RcvPrompt(nullptr, "x", 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(RcvPrompt(dev.get(), nullptr, 0), MPDLL_E_ARGUMENT);
}

TEST(RcvPrompt, UnterminatedPromptFieldIsReadWithinItsArray) {
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 'p', sizeof(DevContext));
    const std::string text = "x" + std::string(50, 'p');
    EXPECT_EQ(RcvPrompt(dev.get(), text.c_str(), 0), 1);
    EXPECT_EQ(RcvPrompt(dev.get(), std::string(49, 'p').c_str(), 0), -1);
}

// Counting prompts in chunked text: every prompt once, also when split
// across chunks or written in the other line-end order, never an
// overlapping one twice, never an empty prompt.
struct CountCase {
    const char* name;
    std::string prompt;
    std::vector<std::string> chunks;
    std::size_t count;
    std::uint64_t firstEnd;
};

TEST(PromptCounter, CountsEachPromptOnceAcrossChunks) {
    const std::vector<CountCase> cases = {
        {"one", "# ", {"ls\r\nfile\r\n# "}, 1, 12},
        {"two_in_a_chunk", "# ", {"a\r\n# b\r\n# "}, 2, 5},
        {"split_over_three_chunks", "root@b:~# ", {"x\r\nroot@", "b:~", "# "}, 1, 13},
        {"second_split_at_the_seam", "# ", {"a# b#", " c"}, 2, 3},
        {"other_line_end_order", "\n\r# ", {"a\r\n# ", "b\n\r# "}, 2, 5},
        {"overlapping_counts_once", "##", {"###"}, 1, 2},
        {"none", "# ", {"no prompt", " here"}, 0, 0},
        {"empty_prompt_never", "", {"a", "b"}, 0, 0},
        {"long_chunk_after_the_head", "> ", {std::string(100, 'x') + "> " + std::string(100, 'y') + "> "}, 2, 102},
    };
    for (const CountCase& c : cases) {
        mpdll::PromptCounter counter(c.prompt);
        for (const std::string& chunk : c.chunks) counter.feed(chunk);
        EXPECT_EQ(counter.count(), c.count) << c.name;
        EXPECT_EQ(counter.end_of(1), c.firstEnd) << c.name;
    }
}

}  // namespace
