// The telnet open against every login shape the simulated board can take:
// the open succeeds only when a shell is really there, and fails (-30006)
// when the board refuses, goes silent or hangs up, within the stated times.
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "support/board_under_test.h"
#include "support/stopwatch.h"

namespace {

using mpdll::test::BoardSetup;
using mpdll::test::BoardUnderTest;
using mpdll::test::Stopwatch;
using mpdll::test::Transport;

enum class Then {
    shellAnswers,    // a command afterwards reaches the shell
    nothingChecked,  // the open's status and time are the point
};

struct LoginShape {
    const char* name;
    std::function<void(mpboard::Options&)> board;
    const char* prompt;
    const char* password;
    std::int32_t status;
    double atLeastSeconds, atMostSeconds;
    Then then;
};

void standard(mpboard::Options&) {}

// The board's password; the user name is "root".
constexpr const char* kPassword = "s3cret";

void PrintTo(const LoginShape& shape, std::ostream* out) { *out << shape.name; }

const std::vector<LoginShape> kShapes = {
    {"standard", standard, "# ", kPassword, MPDLL_OK, 0, 1.5, Then::shellAnswers},
    {"together", [](auto& o) { o.login = mpboard::LoginStyle::together; }, "# ", kPassword, MPDLL_OK, 0, 1.5,
     Then::shellAnswers},
    {"empty_reasks", [](auto& o) { o.login = mpboard::LoginStyle::empty_reasks; }, "# ", kPassword, MPDLL_OK, 0, 1.5,
     Then::shellAnswers},
    {"none", [](auto& o) { o.login = mpboard::LoginStyle::none; }, "# ", kPassword, MPDLL_OK, 0, 1.5,
     Then::shellAnswers},
    // "### Board 1 ###" holds the prompt "# ": only a prompt that ends what
    // was heard counts, so the open waits for the login 600 ms later.
    {"banner_with_prompt_characters",
     [](auto& o) {
         o.banner = "### Board 1 ###\r\n";
         o.login_prompt_delay_ms = 600;
     },
     "# ", kPassword, MPDLL_OK, 0.6, 2.0, Then::shellAnswers},
    {"cr_nul_in_the_questions", [](auto& o) { o.login_cr_nul = true; }, "# ", kPassword, MPDLL_OK, 0, 1.5,
     Then::shellAnswers},
    {"cr_nul_before_the_refusal",
     [](auto& o) {
         o.login_cr_nul = true;
         o.faults.refuse_login = true;
     },
     "# ", kPassword, MPDLL_E_OPEN, 0.3, 2.0, Then::nothingChecked},
    // "Login incorrect" only after 7 s: the window after the password ends
    // first, without the prompt, and that is no login either.
    {"refusal_after_7_s",
     [](auto& o) {
         o.faults.refuse_login = true;
         o.login_fail_delay_ms = 7000;
     },
     "# ", kPassword, MPDLL_E_OPEN, 5.0, 6.5, Then::nothingChecked},
    {"late_login_prompt",
     [](auto& o) {
         o.banner = "Board console\r\n";
         o.login_prompt_delay_ms = 1500;
     },
     "# ", kPassword, MPDLL_OK, 1.5, 3.0, Then::shellAnswers},
    {"slow_login_start", [](auto& o) { o.login_start_delay_ms = 1000; }, "# ", kPassword, MPDLL_OK, 1.0, 2.5,
     Then::shellAnswers},
    // An empty prompt never ends a text: the open waits for "Password" and
    // takes the answer to the password once it is quiet.
    {"empty_prompt", standard, "", kPassword, MPDLL_OK, 0.4, 2.0, Then::nothingChecked},
    {"empty_prompt_echo_before_password", [](auto& o) { o.password_prompt_delay_ms = 100; }, "", kPassword, MPDLL_OK,
     0.5, 2.0, Then::nothingChecked},
    {"split_echo_and_password", [](auto& o) { o.password_prompt_delay_ms = 100; }, "# ", kPassword, MPDLL_OK, 0.1, 1.5,
     Then::shellAnswers},
    {"refused", standard, "# ", "wrong", MPDLL_E_OPEN, 0.3, 2.0, Then::nothingChecked},
    // A board without login whose banner says "Last login:": no login
    // question, so no user name is typed into the shell.
    {"last_login_in_the_banner",
     [](auto& o) {
         o.login = mpboard::LoginStyle::none;
         o.banner = "Last login: Sat Mar  1 08:00:00 2025 on ttyS0\r\n";
     },
     "# ", kPassword, MPDLL_OK, 0, 1.5, Then::shellAnswers},
};

class LoginShapes : public ::testing::TestWithParam<LoginShape> {};

TEST_P(LoginShapes, OpenSucceedsOnlyWithAShell) {
    const LoginShape& shape = GetParam();
    mpboard::Options options = mpdll::test::quick_board();
    options.password = kPassword;
    shape.board(options);
    BoardSetup setup;
    setup.record.password = shape.password;
    BoardUnderTest link(Transport::telnet, options, setup);
    auto dev = link.record();
    std::memset(dev->prompt, 0, sizeof dev->prompt);
    std::memcpy(dev->prompt, shape.prompt, std::strlen(shape.prompt));

    const Stopwatch clock;
    EXPECT_EQ(OpenDev(dev.get()), shape.status);
    const double took = clock.seconds();
    EXPECT_GE(took, shape.atLeastSeconds);
    EXPECT_LE(took, shape.atMostSeconds);
    EXPECT_EQ(dev->openFlags & MPDLL_MODE_TELNET, shape.status == MPDLL_OK ? MPDLL_MODE_TELNET : 0u);

    char sent[2048] = {}, received[16384] = {};
    GetBuffer(dev.get(), sent, sizeof sent, received, sizeof received);
    EXPECT_EQ(std::string(sent).find(shape.password), std::string::npos) << "the password in lastSent";
    EXPECT_EQ(std::string(received).find("Password"), std::string::npos)
        << "lastReceived is what the board said after the last login line: " << received;

    if (shape.status == MPDLL_OK) {
        EXPECT_TRUE(link.board().commands().empty())
            << "a login line reached the shell: " << link.board().commands()[0];
        if (shape.then == Then::shellAnswers) {
            char answer[256] = {};
            EXPECT_EQ(SendCommand(dev.get(), "flash get THER", answer, sizeof answer, 0, 0), MPDLL_OK);
            EXPECT_STREQ(answer, "\r\nTHER=30\r\n");
        } else {
            // With an empty prompt the answer's end cannot be seen; the
            // line must still reach the shell, not the login program.
            char answer[256] = {};
            SendCommand(dev.get(), "flash get THER", answer, sizeof answer, 0, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            EXPECT_EQ(link.board().commands(), std::vector<std::string>{"flash get THER"});
        }
        CloseDev(dev.get(), MPDLL_MODE_TELNET);
    }
}

INSTANTIATE_TEST_SUITE_P(Telnet, LoginShapes, ::testing::ValuesIn(kShapes),
                         [](const auto& info) { return std::string(info.param.name); });

// After a good login the record shows the name as the last line sent and
// the board's greeting, up to the prompt, as the last text received.
TEST(LoginRecord, LastExchangeIsTheNameAndWhatTheBoardSaidAfterThePassword) {
    mpboard::Options options = mpdll::test::quick_board();
    options.password = kPassword;
    BoardSetup setup;
    setup.record.password = kPassword;
    BoardUnderTest link(Transport::telnet, options, setup);
    auto dev = link.record();
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    char sent[2048] = {}, received[16384] = {};
    GetBuffer(dev.get(), sent, sizeof sent, received, sizeof received);
    EXPECT_STREQ(sent, "root\r");
    const std::string greeting = received;
    EXPECT_NE(greeting.find("Last login:"), std::string::npos) << greeting;
    EXPECT_EQ(greeting.substr(greeting.size() - 2), "# ");
    CloseDev(dev.get(), MPDLL_MODE_TELNET);
}

}  // namespace
