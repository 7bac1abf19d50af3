// The telnet open against every login shape the simulated board can take:
// the open succeeds only when a shell is really there, and fails (-30006)
// when the board refuses, asks again, goes silent or hangs up, within the
// stated times. The board gets exactly the answers its questions call for
// (the password only where it asked for one), and no piece of the password
// shows in lastSent, lastReceived or the failure trace. The shapes whose
// outcome hangs on a pause are run again while busy processes load both
// processors.
#include <stdlib.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "support/board_under_test.h"
#include "support/busy_cores.h"
#include "support/stopwatch.h"

namespace {

using mpboard::LoginAnswer;
using mpdll::test::BoardSetup;
using mpdll::test::BoardUnderTest;
using mpdll::test::Stopwatch;
using mpdll::test::Transport;

enum class Then {
    shellAnswers,  // a command afterwards gets the board's exact answer
    shellReached,  // a command afterwards reaches the shell (its answer's end cannot be cut cleanly)
    nothing,       // the open failed
};

struct LoginShape {
    const char* name;
    std::function<void(mpboard::Options&)> board;
    const char* prompt;
    const char* password;  // the record's
    std::int32_t status;
    double atLeastSeconds, atMostSeconds;
    Then then;
    std::vector<LoginAnswer> answers;  // what the board read at its questions, in order
};

void PrintTo(const LoginShape& shape, std::ostream* out) { *out << shape.name; }

void standard(mpboard::Options&) {}

// The board's password (the user name is "root"), and a wrong one; neither
// shares three characters in a row with anything else the board says.
const std::string kPassword = "Qz7-Kv9.Wx2_Lm4+Rt6";
const std::string kWrong = "Jh3=Np8,Cf5^Gd1@Ys4";

const LoginAnswer kName{"login: ", "root"};
const LoginAnswer kGoodPassword{"Password: ", kPassword};
const LoginAnswer kWrongPassword{"Password: ", kWrong};
const std::vector<LoginAnswer> kNameAndPassword{kName, kGoodPassword};
const std::vector<LoginAnswer> kNameAndWrongPassword{kName, kWrongPassword};

const std::string kPamNotices =
    "Last failed login: Sat Mar  1 07:58:12 UTC 2025 from 10.0.0.9 on pts/0\n"
    "There was 1 failed login attempt since the last successful login.\n";
const std::string kNoPasswordWarning =
    "WARNING: there is no root password defined on this board; use passwd to set one.\n";

// A banner of 20 KiB whose lines hold the questions and the prompt's characters.
std::string large_banner() {
    std::string banner;
    while (banner.size() < 20 * 1024) banner += "### say login: root, then Password: when asked ###\r\n";
    return banner;
}

const std::vector<LoginShape> kShapes = {
    {"standard", standard, "# ", kPassword.c_str(), MPDLL_OK, 0, 1.5, Then::shellAnswers, kNameAndPassword},
    {"together", [](auto& o) { o.login = mpboard::LoginStyle::together; }, "# ", kPassword.c_str(), MPDLL_OK, 0, 1.5,
     Then::shellAnswers, kNameAndPassword},
    {"empty_reasks", [](auto& o) { o.login = mpboard::LoginStyle::empty_reasks; }, "# ", kPassword.c_str(), MPDLL_OK, 0,
     1.5, Then::shellAnswers, kNameAndPassword},
    {"none",
     [](auto& o) { o.login = mpboard::LoginStyle::none; },
     "# ",
     kPassword.c_str(),
     MPDLL_OK,
     0,
     1.5,
     Then::shellAnswers,
     {}},
    {"username_question",
     [](auto& o) { o.user_question = "Username: "; },
     "# ",
     kPassword.c_str(),
     MPDLL_OK,
     0,
     1.5,
     Then::shellAnswers,
     {{"Username: ", "root"}, kGoodPassword}},
    {"user_name_in_capitals_without_a_blank",
     [](auto& o) { o.user_question = "USER NAME:"; },
     "# ",
     kPassword.c_str(),
     MPDLL_OK,
     0,
     1.5,
     Then::shellAnswers,
     {{"USER NAME:", "root"}, kGoodPassword}},
    {"password_only",
     [](auto& o) { o.login = mpboard::LoginStyle::password_only; },
     "# ",
     kPassword.c_str(),
     MPDLL_OK,
     0,
     1.5,
     Then::shellAnswers,
     {kGoodPassword}},
    // Refused, then asked for the password again: refused at once.
    {"password_only_refused",
     [](auto& o) { o.login = mpboard::LoginStyle::password_only; },
     "# ",
     kWrong.c_str(),
     MPDLL_E_OPEN,
     0.3,
     1.5,
     Then::nothing,
     {kWrongPassword}},
    // The name alone logs in; the warning names the password, the password
    // is still never typed.
    {"no_password_with_warning",
     [](auto& o) {
         o.login = mpboard::LoginStyle::no_password;
         o.login_notice = kNoPasswordWarning;
     },
     "# ",
     kPassword.c_str(),
     MPDLL_OK,
     0,
     1.5,
     Then::shellAnswers,
     {kName}},
    {"wrong_password_asked_again", [](auto& o) { o.wrong_password_asks_again = true; }, "# ", kWrong.c_str(),
     MPDLL_E_OPEN, 0.3, 1.5, Then::nothing, kNameAndWrongPassword},
    {"wrong_password_asked_again_empty_prompt", [](auto& o) { o.wrong_password_asks_again = true; }, "", kWrong.c_str(),
     MPDLL_E_OPEN, 0.3, 1.5, Then::nothing, kNameAndWrongPassword},
    // Notices about failed logins, then the prompt after a pause.
    {"pam_notices_then_a_pause",
     [](auto& o) {
         o.login_notice = kPamNotices;
         o.login_notice_delay_ms = 700;
     },
     "# ", kPassword.c_str(), MPDLL_OK, 0.7, 2.0, Then::shellAnswers, kNameAndPassword},
    {"pam_notices_empty_prompt", [](auto& o) { o.login_notice = kPamNotices; }, "", kPassword.c_str(), MPDLL_OK, 0.4,
     2.0, Then::shellReached, kNameAndPassword},
    // The refusal line, then nothing for 3 s: refused once the board is quiet.
    {"refusal_line_then_quiet",
     [](auto& o) {
         o.refusal = "Access denied";
         o.refusal_pause_ms = 3000;
     },
     "# ", kWrong.c_str(), MPDLL_E_OPEN, 0.7, 2.0, Then::nothing, kNameAndWrongPassword},
    // The echo of the password, then 80 bytes: "\r\n", the refusal line
    // (69 characters), "\r\n", "login: ". The trace keeps the newest 96
    // bytes: its cut goes through the password, 16 characters from its end.
    {"echoed_password_refused",
     [](auto& o) {
         o.echo_password = true;
         o.refusal = "Login incorrect" + std::string(69 - 15, '.');
     },
     "# ", kWrong.c_str(), MPDLL_E_OPEN, 0.3, 1.5, Then::nothing, kNameAndWrongPassword},
    {"echoed_password_good", [](auto& o) { o.echo_password = true; }, "# ", kPassword.c_str(), MPDLL_OK, 0, 1.5,
     Then::shellAnswers, kNameAndPassword},
    {"colours_in_the_banner_and_the_questions",
     [](auto& o) {
         o.banner = "\x1b[1;34mBoard console\x1b[0m\r\n";
         o.user_question = "\x1b[1mlogin:\x1b[0m ";
         o.password_question = "\x1b[1mPassword:\x1b[0m ";
         o.prompt = "\x1b[1;32mroot@board\x1b[0m# ";
     },
     "# ",
     kPassword.c_str(),
     MPDLL_OK,
     0,
     1.5,
     Then::shellReached,
     {{"\x1b[1mlogin:\x1b[0m ", "root"}, {"\x1b[1mPassword:\x1b[0m ", kPassword}}},
    {"banner_of_20_kib_with_questions_inside", [](auto& o) { o.banner = large_banner(); }, "# ", kPassword.c_str(),
     MPDLL_OK, 0, 1.5, Then::shellAnswers, kNameAndPassword},
    // "### Board 1 ###" holds the prompt "# ": only a prompt that ends what
    // was heard counts, so the open waits for the login 600 ms later.
    {"banner_with_prompt_characters",
     [](auto& o) {
         o.banner = "### Board 1 ###\r\n";
         o.login_prompt_delay_ms = 600;
     },
     "# ", kPassword.c_str(), MPDLL_OK, 0.6, 2.0, Then::shellAnswers, kNameAndPassword},
    {"cr_nul_in_the_questions", [](auto& o) { o.login_cr_nul = true; }, "# ", kPassword.c_str(), MPDLL_OK, 0, 1.5,
     Then::shellAnswers, kNameAndPassword},
    {"cr_nul_before_the_refusal",
     [](auto& o) {
         o.login_cr_nul = true;
         o.faults.refuse_login = true;
     },
     "# ", kPassword.c_str(), MPDLL_E_OPEN, 0.3, 2.0, Then::nothing, kNameAndPassword},
    // "Login incorrect" only after 7 s: the window after the password ends
    // first, without the prompt, and that is no login either.
    {"refusal_after_7_s",
     [](auto& o) {
         o.faults.refuse_login = true;
         o.login_fail_delay_ms = 7000;
     },
     "# ", kPassword.c_str(), MPDLL_E_OPEN, 5.0, 6.5, Then::nothing, kNameAndPassword},
    {"late_login_prompt",
     [](auto& o) {
         o.banner = "Board console\r\n";
         o.login_prompt_delay_ms = 1500;
     },
     "# ", kPassword.c_str(), MPDLL_OK, 1.5, 3.0, Then::shellAnswers, kNameAndPassword},
    {"slow_login_start", [](auto& o) { o.login_start_delay_ms = 1000; }, "# ", kPassword.c_str(), MPDLL_OK, 1.0, 2.5,
     Then::shellAnswers, kNameAndPassword},
    // An empty prompt never ends a text: the open takes the answer to the
    // password once it is quiet.
    {"empty_prompt", standard, "", kPassword.c_str(), MPDLL_OK, 0.4, 2.0, Then::shellReached, kNameAndPassword},
    {"empty_prompt_echo_before_password", [](auto& o) { o.password_prompt_delay_ms = 100; }, "", kPassword.c_str(),
     MPDLL_OK, 0.5, 2.0, Then::shellReached, kNameAndPassword},
    {"split_echo_and_password", [](auto& o) { o.password_prompt_delay_ms = 100; }, "# ", kPassword.c_str(), MPDLL_OK,
     0.1, 1.5, Then::shellAnswers, kNameAndPassword},
    {"refused", standard, "# ", kWrong.c_str(), MPDLL_E_OPEN, 0.3, 2.0, Then::nothing, kNameAndWrongPassword},
    // A board without login whose banner says "Last login:": no login
    // question, so no user name is typed into the shell.
    {"last_login_in_the_banner",
     [](auto& o) {
         o.login = mpboard::LoginStyle::none;
         o.banner = "Last login: Sat Mar  1 08:00:00 2025 on ttyS0\r\n";
     },
     "# ",
     kPassword.c_str(),
     MPDLL_OK,
     0,
     1.5,
     Then::shellAnswers,
     {}},
};

// True when text holds three characters in a row of secret.
bool holds_piece_of(const std::string& text, const std::string& secret) {
    for (std::size_t at = 0; at + 3 <= secret.size(); ++at)
        if (text.find(secret.substr(at, 3)) != std::string::npos) return true;
    return false;
}

std::string printable(const std::vector<LoginAnswer>& answers) {
    std::string out;
    for (const LoginAnswer& a : answers) out += "[" + a.question + "|" + a.answer + "] ";
    return out;
}

class LoginShapes : public ::testing::TestWithParam<LoginShape> {
  protected:
    void SetUp() override { ::setenv("MPDLL_TRACE", "1", 1); }
    void TearDown() override { ::unsetenv("MPDLL_TRACE"); }

    // Opens the shape's board; slack widens the upper time bound.
    void open_checked(double slackSeconds) {
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

        ::testing::internal::CaptureStderr();
        const Stopwatch clock;
        const std::int32_t status = OpenDev(dev.get());
        const double took = clock.seconds();
        const std::string trace = ::testing::internal::GetCapturedStderr();
        RecordProperty("open_ms", static_cast<int>(took * 1000));
        EXPECT_EQ(status, shape.status) << trace;
        EXPECT_GE(took, shape.atLeastSeconds - mpdll::test::kLibraryTickSeconds);
        EXPECT_LE(took, shape.atMostSeconds + slackSeconds);
        EXPECT_EQ(dev->openFlags & MPDLL_MODE_TELNET, shape.status == MPDLL_OK ? MPDLL_MODE_TELNET : 0u);
        EXPECT_EQ(link.board().login_answers(), shape.answers) << printable(link.board().login_answers());
        if (shape.status == MPDLL_OK)
            EXPECT_EQ(trace, "");
        else
            EXPECT_NE(trace.find("mpdll: open failed at "), std::string::npos) << "no reason given";

        char sent[2048] = {}, received[16384] = {};
        GetBuffer(dev.get(), sent, sizeof sent, received, sizeof received);
        for (const auto& [where, text] :
             {std::pair{"lastSent", std::string(sent)}, std::pair{"lastReceived", std::string(received)},
              std::pair{"the trace", trace}})
            EXPECT_FALSE(holds_piece_of(text, shape.password))
                << "a piece of the password in " << where << ": " << text;
        EXPECT_EQ(std::string(received).find("Password"), std::string::npos)
            << "lastReceived is what the board said after the last login line: " << received;

        if (shape.status != MPDLL_OK) return;
        EXPECT_TRUE(link.board().commands().empty())
            << "a login line reached the shell: " << link.board().commands()[0];
        if (shape.then == Then::shellAnswers) {
            char answer[256] = {};
            EXPECT_EQ(SendCommand(dev.get(), "flash get THER", answer, sizeof answer, 0, 0), MPDLL_OK);
            EXPECT_STREQ(answer, "\r\nTHER=30\r\n");
        } else {
            // The line must reach the shell, not the login program.
            const std::string line = "flash get THER";
            EXPECT_EQ(TelnetSnd(dev.get(), line.c_str(), static_cast<std::int32_t>(line.size())), MPDLL_OK);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            EXPECT_EQ(link.board().commands(), std::vector<std::string>{line});
        }
        CloseDev(dev.get(), MPDLL_MODE_TELNET);
    }
};

TEST_P(LoginShapes, OpenSucceedsOnlyWithAShell) { open_checked(0); }

INSTANTIATE_TEST_SUITE_P(Telnet, LoginShapes, ::testing::ValuesIn(kShapes),
                         [](const auto& info) { return std::string(info.param.name); });

// The shapes decided by a pause (a quiet board, a late prompt, a refusal
// line and then silence) while both processors are busy: the same outcome,
// and still well before a receive window where the text shows it.
class LoadedLoginShapes : public LoginShapes {};

TEST_P(LoadedLoginShapes, OpenSucceedsOnlyWithAShell) {
    const mpdll::test::BusyCores load;
    open_checked(1.0);
}

const char* const kDecidedByAPause[] = {"pam_notices_then_a_pause",          "pam_notices_empty_prompt",
                                        "refusal_line_then_quiet",           "wrong_password_asked_again_empty_prompt",
                                        "empty_prompt_echo_before_password", "split_echo_and_password",
                                        "banner_with_prompt_characters"};

std::vector<LoginShape> decided_by_a_pause() {
    std::vector<LoginShape> shapes;
    for (const LoginShape& shape : kShapes)
        for (const char* name : kDecidedByAPause)
            if (std::strcmp(shape.name, name) == 0) shapes.push_back(shape);
    return shapes;
}

INSTANTIATE_TEST_SUITE_P(Loaded, LoadedLoginShapes, ::testing::ValuesIn(decided_by_a_pause()),
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

// A user name that is also the password is masked in lastSent like
// everywhere else; a password-only login leaves lastSent empty.
TEST(LoginRecord, LastSentNeverHoldsThePassword) {
    struct Case {
        const char* name;
        mpboard::LoginStyle style;
        const char* sent;
    };
    for (const Case& c : {Case{"name is the password", mpboard::LoginStyle::standard, "****\r"},
                          Case{"password only", mpboard::LoginStyle::password_only, ""}}) {
        mpboard::Options options = mpdll::test::quick_board();
        options.login = c.style;
        BoardUnderTest link(Transport::telnet, options);  // root / root
        auto dev = link.record();
        ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK) << c.name;
        char sent[2048] = {}, received[16384] = {};
        GetBuffer(dev.get(), sent, sizeof sent, received, sizeof received);
        EXPECT_STREQ(sent, c.sent) << c.name;
        CloseDev(dev.get(), MPDLL_MODE_TELNET);
    }
}

}  // namespace
