// The telnet path end to end against a scripted board on loopback: option
// negotiation, login, first command, and command exchanges.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/loopback_peer.h"
#include "support/stopwatch.h"
#include "text/buffer_sizes.h"

namespace connection_test {
namespace {

const std::string kIac = "\xff";
const std::string kDoEcho = "\xff\xfd\x01", kWillSga = "\xff\xfb\x03";
const std::string kOurReply = "\xff\xfb\x01\xff\xfd\x03";  // WILL ECHO, DO SUPPRESS-GO-AHEAD

std::unique_ptr<DevContext> telnet_record(const std::string& address, const char* prompt, const char* user = "",
                                          const char* password = "", const char* firstCommand = "") {
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    dev->mode = MPDLL_MODE_TELNET;
    std::strncpy(dev->ipText, address.c_str(), sizeof dev->ipText);
    std::strncpy(dev->prompt, prompt, sizeof dev->prompt - 1);
    std::strncpy(dev->userName, user, sizeof dev->userName);
    std::strncpy(dev->password, password, sizeof dev->password);
    std::strncpy(dev->firstCommand, firstCommand, sizeof dev->firstCommand);
    return dev;
}

struct LastExchange {
    std::string sent, received;
};

LastExchange last_exchange() {
    std::vector<char> sent(mpdll::kCommandSize), received(mpdll::kResponseSize);
    EXPECT_EQ(GetBuffer(nullptr, sent.data(), static_cast<int32_t>(sent.size()), received.data(),
                        static_cast<int32_t>(received.size())),
              MPDLL_OK);
    return {sent.data(), received.data()};
}

// A board whose first burst holds both the negotiation and the login prompt,
// with a login program that prints "Last login" after a good password.
TEST(TelnetSession, LogsInWhenNegotiationAndLoginPromptShareABurst) {
    std::string beforeUser, userLine, passwordLine, firstLine;
    ScriptedPeer peer([&](PeerLink& link) {
        link.write(kDoEcho + kWillSga + "\r\nboard login: ");
        beforeUser = link.read_until(std::string(kOurReply));
        userLine = link.read_until("\r");
        link.write("root\r\nPassword: ");
        passwordLine = link.read_until("\r");
        link.write("\r\nLast login: Tue Jan 2 10:00:00 from 10.0.0.9\r\n~ # ");
        firstLine = link.read_until("\r\r");
        link.write("echo ready\r\nready\r\n~ # ");
        link.write("\r\n~ # ");  // the second CR of the line
        link.sees_close(3000);
    });
    auto dev = telnet_record(peer.address(), "~ # ", "root", "secret", "echo ready");

    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(OpenDev(dev.get()), MPDLL_OK);
    EXPECT_LT(clock.seconds(), 2.0);
    EXPECT_EQ(dev->openFlags, static_cast<uint32_t>(MPDLL_MODE_TELNET));
    EXPECT_EQ(beforeUser, kOurReply) << "the negotiation reply must not carry a CR once the login prompt showed";
    EXPECT_EQ(userLine, "root\r") << "one CR per login line: a second would answer the next question";
    EXPECT_EQ(passwordLine, "secret\r");
    EXPECT_EQ(firstLine, "echo ready\r\r");
    EXPECT_EQ(CloseDev(dev.get(), MPDLL_MODE_TELNET), MPDLL_OK);
}

// Without ":PORT" the record's address is reached on the telnet port, 23.
// Binding it needs root; without root (or with the port taken) this skips.
TEST(TelnetSession, AnAddressWithoutPortReachesTheTelnetPort) {
    if (::geteuid() != 0) GTEST_SKIP() << "binding port 23 needs root";
    std::unique_ptr<ScriptedPeer> peer;
    std::string command;
    try {
        peer = std::make_unique<ScriptedPeer>(
            [&](PeerLink& link) {
                link.write(kDoEcho + kWillSga);
                link.read_until(kOurReply);
                link.write("\r\nboard# ");
                serve_shell(link, "board# ", [&](std::string_view line) {
                    command = line;
                    return std::string("ok\r\n");
                });
            },
            23);
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "port 23 is taken";
    }
    auto dev = telnet_record("127.0.0.1", "board# ");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    EXPECT_EQ(ntohs(dev->telnetPeer.port), 23);
    char response[64];
    EXPECT_EQ(SendCommand(dev.get(), "uname", response, sizeof response, 0, 0), MPDLL_OK);
    EXPECT_EQ(command, "uname");
    CloseDev(dev.get(), MPDLL_MODE_TELNET);
}

// The options are answered as they come, with no line end: a telnet server
// runs the login program while it negotiates, and a CR would be read as
// an answer to its first question.
TEST(TelnetSession, AnswersOptionsWithoutALineEndAndAsksNoLoginTwice) {
    std::string firstReply, afterReply, command;
    ScriptedPeer peer([&](PeerLink& link) {
        link.write(kDoEcho + kWillSga);
        firstReply = link.read_until(kOurReply);
        afterReply = link.read_until("\r", 300);
        link.write("\r\nboard# ");
        serve_shell(link, "board# ", [&](std::string_view line) {
            command = line;
            return std::string("Linux\r\n");
        });
    });
    auto dev = telnet_record(peer.address(), "board# ");

    const mpdll::test::Stopwatch clock;
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    EXPECT_LT(clock.seconds(), 1.0) << "a board whose prompt ends what it said asks no login: no wait";
    EXPECT_EQ(firstReply, kOurReply);
    EXPECT_EQ(afterReply, "") << "nothing may follow the option answers before the board asks";

    char response[256];
    EXPECT_EQ(SendCommand(dev.get(), "uname", response, sizeof response, 0, 0), MPDLL_OK);
    EXPECT_STREQ(response, "\r\nLinux\r\n");
    EXPECT_EQ(command, "uname");
    CloseDev(dev.get(), MPDLL_MODE_TELNET);
}

TEST(TelnetSession, RefusedPasswordFailsAsSoonAsTheLoginPromptReturns) {
    bool closed = false;
    ScriptedPeer peer([&](PeerLink& link) {
        link.write("login: ");
        link.read_until("\r");
        link.write("root\r\nPassword: ");
        link.read_until("\r");
        link.write("\r\n");  // the terminal answers the CR at once ...
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        link.write("\r\nLogin incorrect\r\nlogin: ");  // ... the login program much later
        closed = link.sees_close(3000);
    });
    auto dev = telnet_record(peer.address(), "# ", "root", "wrong");

    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(OpenDev(dev.get()), MPDLL_E_OPEN);
    EXPECT_LT(clock.seconds(), 3.0);
    EXPECT_EQ(dev->openFlags & MPDLL_MODE_TELNET, 0u);
    peer.join();
    EXPECT_TRUE(closed) << "a refused open closes its socket";
}

TEST(TelnetSession, PasswordStaysOutOfTheLastExchange) {
    ScriptedPeer peer([&](PeerLink& link) {
        link.write(kDoEcho + "login: ");
        link.read_until("\r");
        link.write("admin\r\nPassword: ");
        link.read_until("\r");
        link.write("hunter2\r\n$ ");  // a board that even echoes the password
        link.sees_close(3000);
    });
    auto dev = telnet_record(peer.address(), "$ ", "admin", "hunter2");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    const LastExchange last = last_exchange();
    EXPECT_EQ(last.sent.find("hunter2"), std::string::npos);
    EXPECT_EQ(last.received.find("hunter2"), std::string::npos);
    CloseDev(dev.get(), MPDLL_MODE_TELNET);
}

// A board that hangs up at any step of the login fails the open at once,
// and a peer that takes the connection and never says a byte is no board.
struct HangUpCase {
    const char* name;
    std::function<void(PeerLink&)> script;
    double atLeastSeconds, atMostSeconds;
};

TEST(TelnetSession, HangUpOrSilenceAtAnyStepFailsTheOpen) {
    const std::vector<HangUpCase> cases = {
        {"during_the_negotiation",
         [](PeerLink& link) {
             link.write(kDoEcho);
             link.close();
         },
         0, 1.0},
        {"after_the_login_question",
         [](PeerLink& link) {
             link.write("login: ");
             link.close();
         },
         0, 1.0},
        {"after_the_user_name",
         [](PeerLink& link) {
             link.write("login: ");
             link.read_until("\r");
             link.close();
         },
         0, 1.0},
        {"after_the_password",
         [](PeerLink& link) {
             link.write("login: ");
             link.read_until("\r");
             link.write("root\r\nPassword: ");
             link.read_until("\r");
             link.close();
         },
         0, 1.0},
        {"never_a_byte", [](PeerLink& link) { link.sees_close(8000); }, 5.0, 6.5},
    };
    for (const HangUpCase& c : cases) {
        ScriptedPeer peer(c.script);
        auto dev = telnet_record(peer.address(), "# ", "root", "secret");
        const mpdll::test::Stopwatch clock;
        EXPECT_EQ(OpenDev(dev.get()), MPDLL_E_OPEN) << c.name;
        const double took = clock.seconds();
        EXPECT_GE(took, c.atLeastSeconds) << c.name;
        EXPECT_LE(took, c.atMostSeconds) << c.name;
        EXPECT_EQ(dev->openFlags & MPDLL_MODE_TELNET, 0u) << c.name;
    }
}

}  // namespace
}  // namespace connection_test
