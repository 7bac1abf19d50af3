// Finding the prompt: RcvPrompt on a text, and the collector that watches
// the received chunks of one receive.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "connection/prompt_collector.h"
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
        {"\n\r# ", "out\r\n# ", 0, 3},      // configured LF CR matches CR LF
        {"\r\n# ", "out\n\r# ", 0, 3},      // and the reverse
        {"\r\n# ", "out\r\n# ", 0, 3},
        {"\r\n# ", "out\n# ", 0, -1},
        {"Board>", "board>", 0, -1},        // case-sensitive
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

TEST(PromptCollector, NulBytesInAChunkHideNeitherTextNorPrompt) {
    std::vector<char> buffer(64, '\0');
    mpdll::PromptCollector collector(buffer, "# ", 0);
    char chunk[] = {'o', 'k', '\r', '\0', '\n', '\0', '\0', '#', ' '};
    EXPECT_TRUE(collector.append(mpdll::received_text(chunk, sizeof chunk)));
    EXPECT_EQ(collector.text(), "ok\r\n# ");
}

TEST(PromptCollector, FindsAPromptSplitAcrossChunks) {
    std::vector<char> buffer(64, '\0');
    mpdll::PromptCollector collector(buffer, "root@board:~# ", 0);
    EXPECT_FALSE(collector.append("cmd\r\nresult\r\nroot@bo"));
    EXPECT_FALSE(collector.append("ard:~"));
    EXPECT_TRUE(collector.append("# "));
    EXPECT_EQ(collector.text(), "cmd\r\nresult\r\nroot@board:~# ");
}

TEST(PromptCollector, KeepsWhatFitsAndStillSeesThePromptInNewerData) {
    std::vector<char> buffer(17, '#');
    buffer[0] = '\0';
    mpdll::PromptCollector collector(std::span<char>(buffer.data(), 16), "end> ", 0);
    EXPECT_FALSE(collector.append(std::string(100, 'x')));
    EXPECT_FALSE(collector.append(std::string(100, 'y') + "en"));
    EXPECT_TRUE(collector.append("d> "));
    EXPECT_EQ(collector.text(), std::string(15, 'x'));
    EXPECT_EQ(buffer[15], '\0');
    EXPECT_EQ(buffer[16], '#') << "nothing past the buffer";
}

TEST(PromptCollector, QuietWaitTakesTheFirstChunk) {
    std::vector<char> buffer(32, '\0');
    mpdll::PromptCollector collector(buffer, "# ", MPDLL_WAIT_QUIET);
    EXPECT_TRUE(collector.append("login: "));
}

TEST(PromptCollector, TextAlreadyInTheBufferCounts) {
    std::vector<char> buffer(32, '\0');
    std::strcpy(buffer.data(), "old# ");
    mpdll::PromptCollector collector(buffer, "# ", 0);
    EXPECT_TRUE(collector.append("more"));
    EXPECT_EQ(collector.text(), "old# more");

    std::strcpy(buffer.data(), "ab#");
    mpdll::PromptCollector seam(buffer, "# ", 0);
    EXPECT_TRUE(seam.append(" tail")) << "prompt spanning the old text and the first chunk";
}

}  // namespace
