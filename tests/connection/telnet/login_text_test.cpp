// How the text a board said during the login ends: the login answers only
// what ends it, so every question, prompt and notice shape is read here
// from its end, and nothing inside a banner, an echo or a notice counts.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "connection/telnet/login_text.h"

namespace {

using mpdll::LoginEnding;
using mpdll::LoginText;

struct EndingCase {
    const char* name;
    std::string said;
    const char* prompt;
    LoginEnding ending;
};

void PrintTo(const EndingCase& c, std::ostream* out) { *out << c.name; }

const EndingCase kEndings[] = {
    {"login question", "\r\nboard login: ", "# ", LoginEnding::user},
    {"login question without a blank", "login:", "# ", LoginEnding::user},
    {"username question", "Board console\r\nUsername: ", "# ", LoginEnding::user},
    {"user name in capitals", "USER NAME:", "# ", LoginEnding::user},
    {"coloured login question", "\x1b[1;33mlogin:\x1b[0m ", "# ", LoginEnding::user},
    {"password question", "root\r\nPassword: ", "# ", LoginEnding::password},
    {"password question in capitals", "PASSWORD:\t", "# ", LoginEnding::password},
    {"password question after a banner with login: inside", "Say login: and Password: when asked\r\nPassword: ", "# ",
     LoginEnding::password},
    {"prompt after the notices",
     "Last failed login: Sat Mar  1 07:58:12 UTC 2025 from 10.0.0.9 on pts/0\r\n"
     "There was 1 failed login attempt since the last successful login.\r\n# ",
     "# ", LoginEnding::prompt},
    {"prompt after a no-password warning",
     "WARNING: there is no root password defined on this board; use passwd to set one.\r\n# ", "# ",
     LoginEnding::prompt},
    {"coloured prompt", "\x1b[1;32mroot@board\x1b[0m:~# ", "~# ", LoginEnding::prompt},
    {"prompt characters inside a banner", "### Board 1 ###\r\n", "# ", LoginEnding::nothing},
    {"question inside an echo", "login: root\r\n", "# ", LoginEnding::nothing},
    {"password question inside a warning", "no password: use passwd\r\nBusyBox built-in shell\r\n", "# ",
     LoginEnding::nothing},
    {"empty prompt ends nothing", "\r\nLast login: Sat Mar  1\r\n# ", "", LoginEnding::nothing},
    {"refusal", "\r\nLogin incorrect\r\n", "# ", LoginEnding::refusal},
    {"refusal with blank lines after it", "\r\nAccess denied\r\n\r\n  ", "# ", LoginEnding::refusal},
    {"authentication failed", "\r\nAuthentication failed.\r\n", "# ", LoginEnding::refusal},
    {"refusal followed by another line", "Login incorrect\r\nTry again later\r\n", "# ", LoginEnding::nothing},
    {"last failed login notice", "Last failed login: Sat Mar  1 07:58:12 UTC 2025 on ttyS0\r\n", "# ",
     LoginEnding::nothing},
    {"failed login attempts notice", "There were 3 failed login attempts since the last successful login.\r\n", "# ",
     LoginEnding::nothing},
    {"nothing said", "", "# ", LoginEnding::nothing},
};

class LoginEndings : public ::testing::TestWithParam<EndingCase> {};

TEST_P(LoginEndings, OnlyTheEndCounts) {
    const EndingCase& c = GetParam();
    LoginText text("Qz7-Kv9.Wx2_Lm4+Rt6");
    text.append(c.said);
    EXPECT_EQ(text.ending(c.prompt), c.ending);
}

INSTANTIATE_TEST_SUITE_P(Texts, LoginEndings, ::testing::ValuesIn(kEndings), [](const auto& info) {
    std::string name;
    for (const char c : std::string(info.param.name)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

}  // namespace
