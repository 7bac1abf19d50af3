// The library against busybox's interactive shell behind busybox telnetd:
// a real line editor, which wraps a line longer than the terminal's 80
// columns, and draws a line typed while the shell was busy again after the
// next prompt. Each line must get its own answer, by its prompt, and a late
// line must cost only itself.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "peer_process.h"
#include "support/loopback_port.h"
#include "support/stopwatch.h"

namespace mpdll::realpeers {
namespace {

// Telnet's receive window is 5 to 6 s, and a little for the scheduler.
constexpr double kCallLimit = 6.3;

class LineEditorShell : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!have_program("busybox")) GTEST_SKIP() << "busybox is not installed (make deps installs it)";
        const int port = test::unused_loopback_port();
        peer_ = std::make_unique<PeerProcess>(
            std::vector<std::string>{"busybox", "telnetd", "-F", "-b", "127.0.0.1:" + std::to_string(port), "-l",
                                     board_tool("line-editor-login")},
            std::vector<std::string>{});
        ASSERT_TRUE(wait_for_listener(port, 5000)) << "telnetd did not start";
        dev_ = std::make_unique<DevContext>();
        std::memset(dev_.get(), 0, sizeof(DevContext));
        dev_->mode = MPDLL_MODE_TELNET;
        const std::string address = "127.0.0.1:" + std::to_string(port);
        std::strncpy(dev_->ipText, address.c_str(), sizeof dev_->ipText - 1);
        std::strncpy(dev_->prompt, "# ", sizeof dev_->prompt - 1);
        ASSERT_EQ(OpenDev(dev_.get()), MPDLL_OK);
    }
    void TearDown() override {
        if (dev_ && dev_->openFlags) CloseDev(dev_.get(), dev_->openFlags);
        peer_.reset();
    }

    // SendCommand with a large buffer: status, answer and time.
    std::string run(const std::string& line, std::int32_t& status, double& seconds) {
        std::vector<char> response(16384);
        const test::Stopwatch clock;
        status = SendCommand(dev_.get(), line.c_str(), response.data(), static_cast<std::int32_t>(response.size()), 0,
                             MPDLL_WAIT_NONE);
        seconds = clock.seconds();
        return response.data();
    }

    // FlashGet of name must return its own value, by the prompt.
    void expect_flash_own(const std::string& name, const char* after) {
        std::vector<char> value(16384);
        const test::Stopwatch clock;
        EXPECT_EQ(FlashGet(dev_.get(), name.c_str(), value.data()), MPDLL_OK) << name << " after " << after;
        EXPECT_STREQ(value.data(), ("v_" + name.substr(0, name.find(' '))).c_str()) << name << " after " << after;
        EXPECT_LT(clock.seconds(), 2.0) << name << " after " << after;
    }

    std::unique_ptr<PeerProcess> peer_;
    std::unique_ptr<DevContext> dev_;
};

TEST_F(LineEditorShell, LinesLongerThanTheTerminalGetTheirOwnAnswers) {
    for (const std::size_t length : {79u, 120u, 200u, 300u}) {
        std::string words;
        for (std::size_t i = 0; words.size() < length; ++i) words += "w" + std::to_string(i) + " ";
        words.resize(length);
        while (!words.empty() && words.back() == ' ') words.back() = 'x';
        std::int32_t status = 0;
        double seconds = 0;
        const std::string got = run("echo " + words, status, seconds);
        EXPECT_EQ(status, MPDLL_OK) << length << " characters";
        EXPECT_EQ(got, "\r\n" + words + "\r\n") << length << " characters";
        EXPECT_LT(seconds, 2.0) << length << " characters";
        expect_flash_own("THER", ("a line of " + std::to_string(length) + " characters").c_str());
    }
}

TEST_F(LineEditorShell, PromptTextInTheEchoAndInAWrappedLine) {
    expect_flash_own("XCAP # crystal trim", "the open");
    expect_flash_own("THER", "a comment holding the prompt's text");
    std::string padding(90, 'p');
    expect_flash_own("SSID # " + padding, "the short comment");
    expect_flash_own("XCAP", "a wrapped comment holding the prompt's text");
    std::int32_t status = 0;
    double seconds = 0;
    EXPECT_EQ(run("printf 'notes# todo\\nb.txt\\n'", status, seconds), "\r\nnotes# todo\r\nb.txt\r\n");
    EXPECT_EQ(status, MPDLL_OK);
    expect_flash_own("THER", "an answer holding the prompt's text");
}

TEST_F(LineEditorShell, ALateLineCostsOnlyItself) {
    std::int32_t status = 0;
    double seconds = 0;
    const std::string late = run("sleep 7; flash get LATE", status, seconds);
    EXPECT_LT(seconds, kCallLimit);
    if (status == MPDLL_OK) {
        EXPECT_EQ(late, std::string("\r\nLATE=v_LATE\r\n").substr(0, late.size()));
    }
    // Typed while the shell sleeps: echoed by the terminal, then drawn again
    // by the line editor after the late answer's prompt.
    std::vector<char> value(16384);
    const test::Stopwatch clock;
    const std::int32_t typedAhead = FlashGet(dev_.get(), "AHEAD", value.data());
    EXPECT_LT(clock.seconds(), kCallLimit);
    if (typedAhead == MPDLL_OK) {
        EXPECT_STREQ(value.data(), "v_AHEAD") << "another line's answer taken";
    }
    expect_flash_own("THER", "a late line");
    expect_flash_own("XCAP", "a late line and one more");
}

// Output that ends a write with the prompt's own text, and a prompt printed
// twice: this shell's line editor puts a terminal query behind each real
// prompt, which text that only looks like the prompt lacks, so the faulty
// line gets its whole answer and the next lines their own.
TEST_F(LineEditorShell, PromptTextAtTheEndOfAWriteIsNoPrompt) {
    struct Case {
        const char* line;
        const char* answer;
    };
    const Case cases[] = {
        {"printf '# '; sleep 0.3; printf 'settings\\nXCAP=v\\n'", "\r\n# settings\r\nXCAP=v\r\n"},
        {"flash get XCAP; sleep 0.3; printf '# '", "\r\nXCAP=v_XCAP\r\n# "},
    };
    for (const Case& c : cases) {
        std::int32_t status = 0;
        double seconds = 0;
        EXPECT_EQ(run(c.line, status, seconds), c.answer) << c.line;
        EXPECT_EQ(status, MPDLL_OK) << c.line;
        EXPECT_LT(seconds, 2.0) << c.line;
        expect_flash_own("THER", c.line);
        expect_flash_own("SSID", c.line);
    }
}

}  // namespace
}  // namespace mpdll::realpeers
