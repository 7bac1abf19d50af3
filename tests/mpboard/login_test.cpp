// Telnet opening and the login program: negotiation, login styles, wrong
// passwords after the fail delay, and the login faults.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board_clients.h"
#include "support/stopwatch.h"

namespace mpboard::testing {
namespace {

const std::string kOpening = "\xff\xfb\x01\xff\xfb\x03\xff\xfd\x18";

TEST(Login, OpensWithNegotiationThenAsksLoginAfterTheAnswers) {
    Simulator board(quick_options());
    board.start();
    TelnetClient client(board.telnet_port());
    EXPECT_EQ(client.read_for(150), kOpening);  // nothing else until the client answers
    // The CR after the answers is typed before the login program runs: flushed.
    client.send(negotiation_answer() + "\r");
    EXPECT_EQ(client.read_until("login: "), "login: ");
    client.send("root\r");
    EXPECT_EQ(client.read_until("Password: "), "root\r\nPassword: ");
    client.send("root\r");
    std::string banner = client.read_until("# ");
    EXPECT_EQ(banner.substr(0, 2), "\r\n");
    EXPECT_NE(banner.find("Last login: "), std::string::npos);
    EXPECT_EQ(banner.substr(banner.size() - 2), "# ");
    EXPECT_TRUE(board.commands().empty()) << "login name or password recorded as a command";
}

// The terminal keeps what is typed ahead: a second CR after the name is the
// answer to the password question, every time, and the password typed
// after it goes to the next login question.
TEST(Login, TypedAheadLinesAnswerTheNextQuestions) {
    Simulator board(quick_options());
    board.start();
    TelnetClient client(board.telnet_port());
    client.read_for(150);
    client.send(negotiation_answer());
    EXPECT_EQ(client.read_until("login: "), "login: ");
    client.send("root\r\r");
    EXPECT_EQ(client.read_until("login: "), "root\r\nPassword: \r\nLogin incorrect\r\nlogin: ");
    client.send("root\rroot\r");
    EXPECT_EQ(client.read_until("# ").substr(0, 20), "root\r\nPassword: \r\n\r\n");
}

TEST(Login, ClientThatNeverAnswersGetsTheLoginAfterTheWait) {
    Simulator board(quick_options());
    board.start();
    TelnetClient client(board.telnet_port());
    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(client.read_until("login: "), kOpening + "login: ");
    EXPECT_GE(clock.milliseconds(), 250);
}

struct StyleCase {
    const char* name;
    LoginStyle style;
    std::string first_burst;      // what the board writes at connect
    std::string after_answer_cr;  // answer to the client's negotiation answer followed by CR
};
void PrintTo(const StyleCase& c, std::ostream* os) { *os << c.name; }

class LoginStyles : public ::testing::TestWithParam<StyleCase> {};

TEST_P(LoginStyles, EmptyLineAfterTheNegotiationAnswer) {
    Options o = quick_options();
    o.login = GetParam().style;
    Simulator board(o);
    board.start();
    TelnetClient client(board.telnet_port());
    EXPECT_EQ(client.read_for(150), GetParam().first_burst);
    client.send(negotiation_answer() + "\r");
    EXPECT_EQ(client.read_for(200), GetParam().after_answer_cr);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, LoginStyles,
    ::testing::Values(StyleCase{"standard", LoginStyle::standard, kOpening, "login: "},
                      StyleCase{"together", LoginStyle::together, kOpening + "login: ", "\r\nPassword: "},
                      StyleCase{"empty_reasks", LoginStyle::empty_reasks, kOpening + "login: ", "\r\nlogin: "},
                      StyleCase{"none", LoginStyle::none, kOpening, "# "}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    std::string password;
    bool refuse_fault;
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class LoginRefused : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(LoginRefused, EchoesCrLfAtOnceAndRefusesAfterTheFailDelay) {
    Options o = quick_options();
    o.faults.refuse_login = GetParam().refuse_fault;
    Simulator board(o);
    board.start();
    TelnetClient client(board.telnet_port());
    client.read_until(kOpening);
    client.send(negotiation_answer());
    client.read_until("login: ");
    client.send("root\r");
    client.read_until("Password: ");
    const mpdll::test::Stopwatch clock;
    client.send(GetParam().password + "\r");
    EXPECT_EQ(client.read_for(100), "\r\n");
    EXPECT_EQ(client.read_until("login: "), "Login incorrect\r\nlogin: ");
    EXPECT_GE(clock.milliseconds(), 190);
}

INSTANTIATE_TEST_SUITE_P(Passwords, LoginRefused,
                         ::testing::Values(RefusalCase{"wrong_password", "nope", false},
                                           RefusalCase{"refuse_fault", "root", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Login, ThirdFailureClosesTheConnection) {
    Options o = quick_options();
    o.login_fail_delay_ms = 0;
    Simulator board(o);
    board.start();
    TelnetClient client(board.telnet_port());
    client.read_until(kOpening);
    client.send(negotiation_answer());
    client.read_until("login: ");
    for (int attempt = 0; attempt < 3; ++attempt) {
        client.send("root\r");
        client.read_until("Password: ");
        client.send("bad\r");
        client.read_until(attempt < 2 ? "login: " : "Login incorrect\r\n");
    }
    int error = 0;
    EXPECT_EQ(client.read_once(1000, &error), "");  // end of stream
}

TEST(Login, EndlessNegotiationNeverAsksForALogin) {
    Options o = quick_options();
    o.faults.endless_negotiation = true;
    Simulator board(o);
    board.start();
    TelnetClient client(board.telnet_port());
    client.send(negotiation_answer() + "\r");
    std::string got = client.read_for(1200);
    EXPECT_EQ(got.find("login"), std::string::npos);
    EXPECT_GE(got.size(), kOpening.size() + 2 * 3) << "no further requests after the opening";
    EXPECT_EQ(got.substr(kOpening.size(), 2), "\xff\xfd");
}

TEST(Login, NoLoginPromptWaitsForALine) {
    Options o = quick_options();
    o.faults.no_login_prompt = true;
    Simulator board(o);
    board.start();
    TelnetClient client(board.telnet_port());
    client.send(negotiation_answer());
    EXPECT_EQ(client.read_for(500), kOpening);
    client.send("\r");
    EXPECT_EQ(client.read_until("login: "), "login: ");
}

// The login program's other shapes: what it asks, what it says to each
// answer, and the answers it records (the password among them).
struct DialogStep {
    std::string typed;  // sent first, when not empty
    std::string heard;  // then read up to and with its end
};

struct DialogCase {
    const char* name;
    std::function<void(Options&)> shape;
    std::string firstQuestion;
    std::vector<DialogStep> steps;
    std::vector<LoginAnswer> answers;
};
void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.name; }

const std::string kGreeting =
    "\r\nmpboard: simulated board, interface wlan0\r\nLast login: Sat Mar  1 08:00:00 2025 on ttyS0\r\n";

class LoginDialogs : public ::testing::TestWithParam<DialogCase> {};

TEST_P(LoginDialogs, AskAnswerAndRecord) {
    const DialogCase& c = GetParam();
    Options o = quick_options();
    c.shape(o);
    Simulator board(o);
    board.start();
    TelnetClient client(board.telnet_port());
    client.read_until(kOpening);
    client.send(negotiation_answer());
    EXPECT_EQ(client.read_until(c.firstQuestion), c.firstQuestion);
    for (const DialogStep& step : c.steps) {
        if (!step.typed.empty()) client.send(step.typed);
        EXPECT_EQ(client.read_until(step.heard.substr(step.heard.size() - 2)), step.heard) << "after " << step.typed;
    }
    EXPECT_EQ(board.login_answers(), c.answers);
    EXPECT_TRUE(board.commands().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, LoginDialogs,
    ::testing::Values(DialogCase{"username_question",
                                 [](Options& o) { o.user_question = "Username: "; },
                                 "Username: ",
                                 {{"root\r", "root\r\nPassword: "}, {"root\r", "\r\n" + kGreeting + "# "}},
                                 {{"Username: ", "root"}, {"Password: ", "root"}}},
                      DialogCase{
                          "password_only",
                          [](Options& o) { o.login = LoginStyle::password_only; },
                          "Password: ",
                          {{"nope\r", "\r\nLogin incorrect\r\nPassword: "}, {"root\r", "\r\n" + kGreeting + "# "}},
                          {{"Password: ", "nope"}, {"Password: ", "root"}}},
                      DialogCase{"no_password_with_a_notice",
                                 [](Options& o) {
                                     o.login = LoginStyle::no_password;
                                     o.login_notice = "no root password: use passwd\n";
                                 },
                                 "login: ",
                                 {{"root\r", "root\r\n" + kGreeting + "no root password: use passwd\r\n# "}},
                                 {{"login: ", "root"}}},
                      DialogCase{"echoed_password_asked_again",
                                 [](Options& o) {
                                     o.echo_password = true;
                                     o.wrong_password_asks_again = true;
                                 },
                                 "login: ",
                                 {{"root\r", "root\r\nPassword: "}, {"nope\r", "nope\r\nPassword: "}},
                                 {{"login: ", "root"}, {"Password: ", "nope"}}},
                      DialogCase{"own_questions_and_refusal",
                                 [](Options& o) {
                                     o.user_question = "User: ";
                                     o.password_question = "Secret: ";
                                     o.refusal = "Access denied";
                                 },
                                 "User: ",
                                 {{"root\r", "root\r\nSecret: "}, {"nope\r", "\r\nAccess denied\r\nUser: "}},
                                 {{"User: ", "root"}, {"Secret: ", "nope"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Login, TerminalTypeAndUnknownOptionsAreAnsweredAndStripped) {
    Options o = quick_options();
    o.login = LoginStyle::none;
    Simulator board(o);
    board.start();
    TelnetClient client(board.telnet_port());
    client.read_until(kOpening);
    // What an interactive client says: WILL TTYPE, WILL NAWS, DO ECHO, DO SGA.
    client.send("\xff\xfb\x18\xff\xfb\x1f\xff\xfd\x01\xff\xfd\x03");
    std::string reply = client.read_for(150);
    EXPECT_NE(reply.find("\xff\xfa\x18\x01\xff\xf0"), std::string::npos) << "no SEND for the terminal type";
    EXPECT_NE(reply.find("\xff\xfe\x1f"), std::string::npos) << "NAWS not refused";
    client.send(std::string("\xff\xfa\x18\x00xterm\xff\xf0", 11));
    client.read_until("# ");
    client.send("fo\xff\xf1o\r");  // a NOP in the middle of the line
    EXPECT_EQ(client.read_until("# "), "foo\r\nsh: foo: not found\r\n# ");
    EXPECT_EQ(board.commands(), std::vector<std::string>{"foo"});
}

}  // namespace
}  // namespace mpboard::testing
