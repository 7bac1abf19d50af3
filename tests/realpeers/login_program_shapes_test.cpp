// Logging in through busybox telnetd to the stand-in login program in each
// of its shapes (a "Username:" question, password only, no password with a
// warning, notices about failed logins, a wrong password refused or asked
// for again): the open succeeds exactly when a shell is there, fails
// quickly where the text shows the refusal, and the login program reads
// exactly the answers its questions call for. Run again while busy
// processes load both processors.
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "peer_process.h"
#include "support/busy_cores.h"
#include "support/loopback_port.h"
#include "support/stopwatch.h"

namespace mpdll::realpeers {
namespace {

namespace fs = std::filesystem;

// The board's password, and a wrong one.
const std::string kPassword = "Qz7-Kv9.Wx2_Lm4+Rt6";
const std::string kWrong = "Jh3=Np8,Cf5^Gd1@Ys4";
// Every shape ends, good or refused, well before a receive window would.
constexpr double kAtMostSeconds = 3.0;

struct LoginProgramShape {
    const char* name;
    std::vector<std::string> settings;  // MPDLL_LOGIN_* for the login program
    const std::string& password;        // the record's
    std::int32_t status;
    std::vector<std::string> answers;  // "QUESTION<TAB>ANSWER" as the login program read them
};

void PrintTo(const LoginProgramShape& shape, std::ostream* out) { *out << shape.name; }

const std::string kNameAnswer = "board login: \troot";
const std::string kPasswordAnswer = "Password: \t" + kPassword;
const std::string kWrongAnswer = "Password: \t" + kWrong;

const std::vector<LoginProgramShape> kShapes = {
    {"user_and_password", {}, kPassword, MPDLL_OK, {kNameAnswer, kPasswordAnswer}},
    {"username_question",
     {"MPDLL_LOGIN_USER_QUESTION=Username: "},
     kPassword,
     MPDLL_OK,
     {"Username: \troot", kPasswordAnswer}},
    {"password_only", {"MPDLL_LOGIN_STYLE=password-only"}, kPassword, MPDLL_OK, {kPasswordAnswer}},
    {"no_password_with_warning",
     {"MPDLL_LOGIN_STYLE=no-password",
      "MPDLL_LOGIN_NOTICE=WARNING: there is no root password defined on this board; use passwd to set one.\n"},
     kPassword,
     MPDLL_OK,
     {kNameAnswer}},
    {"notices_about_failed_logins",
     {"MPDLL_LOGIN_NOTICE=Last failed login: Sat Mar  1 07:58:12 UTC 2025 from 10.0.0.9 on pts/0\n"
      "There was 1 failed login attempt since the last successful login.\n"},
     kPassword,
     MPDLL_OK,
     {kNameAnswer, kPasswordAnswer}},
    {"wrong_password_refused", {}, kWrong, MPDLL_E_OPEN, {kNameAnswer, kWrongAnswer}},
    {"wrong_password_asked_again", {"MPDLL_LOGIN_WRONG=ask-again"}, kWrong, MPDLL_E_OPEN, {kNameAnswer, kWrongAnswer}},
    {"password_only_refused", {"MPDLL_LOGIN_STYLE=password-only"}, kWrong, MPDLL_E_OPEN, {kWrongAnswer}},
};

std::vector<std::string> lines_of(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class LoginProgramShapes : public ::testing::TestWithParam<LoginProgramShape> {
  protected:
    void SetUp() override {
        if (!have_program("busybox") || !have_program("python3")) GTEST_SKIP() << "busybox or python3 missing";
        char pattern[] = "/tmp/mpdll-login-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        directory_ = pattern;
    }
    void TearDown() override {
        if (!directory_.empty()) fs::remove_all(directory_);
    }

    void open_checked() {
        const LoginProgramShape& shape = GetParam();
        const fs::path log = directory_ / "login.log";
        std::vector<std::string> environment = {"MPDLL_BOARD_PASSWORD=" + kPassword, "MPDLL_LOGIN_FAIL_DELAY=0.3",
                                                "MPDLL_LOGIN_LOG=" + log.string(),
                                                "MPDLL_BOARD_STATE=" + (directory_ / "state").string()};
        environment.insert(environment.end(), shape.settings.begin(), shape.settings.end());
        const int port = test::unused_loopback_port();
        const auto telnetd = start_telnetd(port, environment);
        ASSERT_TRUE(wait_for_listener(port, 5000)) << "telnetd did not start";

        DevContext dev;
        std::memset(&dev, 0, sizeof dev);
        dev.mode = MPDLL_MODE_TELNET;
        const std::string address = "127.0.0.1:" + std::to_string(port);
        std::memcpy(dev.ipText, address.c_str(), address.size());
        std::memcpy(dev.prompt, "# ", 2);
        std::memcpy(dev.userName, "root", 4);
        std::memcpy(dev.password, shape.password.c_str(), shape.password.size());

        const test::Stopwatch clock;
        const std::int32_t status = OpenDev(&dev);
        const double took = clock.seconds();
        RecordProperty("open_ms", static_cast<int>(took * 1000));
        EXPECT_EQ(status, shape.status);
        EXPECT_LT(took, kAtMostSeconds);
        if (status == MPDLL_OK) {
            char answer[1024] = {};
            EXPECT_EQ(SendCommand(&dev, "echo logged-in", answer, sizeof answer, 0, 0), MPDLL_OK);
            EXPECT_STREQ(answer, "\r\nlogged-in\r\n") << "the shell saw more than the command";
            CloseDev(&dev, MPDLL_MODE_TELNET);
        }
        EXPECT_EQ(lines_of(log), shape.answers);
    }

  private:
    fs::path directory_;
};

TEST_P(LoginProgramShapes, OpenSucceedsOnlyWithAShell) { open_checked(); }

INSTANTIATE_TEST_SUITE_P(BusyboxTelnetd, LoginProgramShapes, ::testing::ValuesIn(kShapes),
                         [](const auto& info) { return std::string(info.param.name); });

class LoadedLoginProgramShapes : public LoginProgramShapes {};

TEST_P(LoadedLoginProgramShapes, OpenSucceedsOnlyWithAShell) {
    const test::BusyCores load;
    open_checked();
}

INSTANTIATE_TEST_SUITE_P(Loaded, LoadedLoginProgramShapes, ::testing::ValuesIn(kShapes),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mpdll::realpeers
