// The UDP path against a datagram board bound on its own loopback address
// (OpenDev fixes port 9034, so each test uses a distinct 127.0.0.X).
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "mpdll/mpdll.h"
#include "platform/platform.h"
#include "support/datagram_peer.h"
#include "support/stopwatch.h"
#include "text/buffer_sizes.h"

namespace {

constexpr uint16_t kBoardPort = 9034;

// Answers each datagram with what reply() returns (nothing for an empty list).
class UdpBoard : public mpdll::test::DatagramPeer {
  public:
    UdpBoard(const char* ip, std::function<std::vector<std::string>(const std::string&)> reply)
        : DatagramPeer(ip, kBoardPort) {
        answer([reply = std::move(reply)](const std::string& line) {
            return mpdll::test::DatagramReply{0, reply(line)};
        });
    }
};

std::unique_ptr<DevContext> udp_record(const char* ip) {
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    dev->mode = MPDLL_MODE_UDP;
    inet_pton(AF_INET, ip, &dev->udpPeer.address);
    return dev;
}

std::string last_sent() {
    char sent[mpdll::kCommandSize], received[16];
    GetBuffer(nullptr, sent, sizeof sent, received, sizeof received);
    return sent;
}

TEST(UdpExchange, OpenSetsThePortAndTheReplyIsTheFirstDatagram) {
    UdpBoard board("127.0.0.171", [](const std::string& line) { return std::vector<std::string>{"ok " + line}; });
    ASSERT_TRUE(board.bound());
    auto dev = udp_record("127.0.0.171");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    EXPECT_EQ(dev->openFlags, 1u);
    EXPECT_EQ(dev->cmdTimeout, 5000);
    EXPECT_EQ(dev->udpPeer.family, 2);
    EXPECT_EQ(ntohs(dev->udpPeer.port), kBoardPort);
    EXPECT_TRUE(mpdll::platform::sockets().is_valid(dev->udpSocket));
    EXPECT_TRUE(mpdll::platform::sockets().is_valid(dev->udpAuxSocket));
    EXPECT_NE(dev->cmdMutex, nullptr);
    EXPECT_NE(dev->cmdEvent, nullptr);
    EXPECT_NE(dev->cmdDoneEvent, nullptr);

    char response[64];
    EXPECT_EQ(SendCommand(dev.get(), "iwpriv wlan0 mp_ther", response, sizeof response, 0, 0), MPDLL_OK);
    EXPECT_STREQ(response, "ok iwpriv wlan0 mp_ther");
    EXPECT_EQ(last_sent(), "iwpriv wlan0 mp_ther") << "the UDP line carries no line end";

    char small[6];
    EXPECT_EQ(SendCommand(dev.get(), "abcdefgh", small, sizeof small, 0, 0), MPDLL_OK);
    EXPECT_STREQ(small, "ok ab") << "a reply longer than the buffer is cut, terminated";

    EXPECT_EQ(CloseDev(dev.get(), MPDLL_MODE_UDP), MPDLL_OK);
    EXPECT_EQ(dev->udpStop, 1);
    EXPECT_EQ(dev->openFlags, 0u);
    EXPECT_EQ(dev->mode, 0);
}

TEST(UdpExchange, DuplicatedReplyIsNotTakenAsTheNextAnswer) {
    UdpBoard board("127.0.0.172", [](const std::string& line) {
        if (line == "first") return std::vector<std::string>{"ok first", "ok first"};
        return std::vector<std::string>{"ok " + line};
    });
    ASSERT_TRUE(board.bound());
    auto dev = udp_record("127.0.0.172");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    char response[64];
    ASSERT_EQ(SendCommand(dev.get(), "first", response, sizeof response, 0, 0), MPDLL_OK);
    // The copy the board sent right behind its reply went with the reply.
    EXPECT_EQ(mpdll::platform::sockets().wait_readable(dev->udpSocket, 100), mpdll::platform::Wait::timeout);
    EXPECT_EQ(SendCommand(dev.get(), "second", response, sizeof response, 0, 0), MPDLL_OK);
    EXPECT_STREQ(response, "ok second");
    CloseDev(dev.get(), MPDLL_MODE_UDP);
}

TEST(UdpExchange, NoReplyGivesSuccessAndAnEmptyResponseAfterTheWindow) {
    UdpBoard board("127.0.0.173", [](const std::string&) { return std::vector<std::string>{}; });
    ASSERT_TRUE(board.bound());
    auto dev = udp_record("127.0.0.173");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    char response[64];
    std::memset(response, 'x', sizeof response);
    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(SendCommand(dev.get(), "iwpriv wlan0 mp_ctx stop", response, sizeof response, 0, 0), MPDLL_OK);
    const double elapsed = clock.seconds();
    EXPECT_GE(elapsed, 4.9);
    EXPECT_LT(elapsed, 6.5);
    EXPECT_STREQ(response, "");
    EXPECT_EQ(last_sent(), "iwpriv wlan0 mp_ctx stop");
    CloseDev(dev.get(), MPDLL_MODE_UDP);
}

// The board listens on 9034 of its address; its answer goes out of a second
// socket, bound where the case says. That socket answers what is sent to it
// as well.
struct ReplySenderCase {
    const char* name;
    const char* boardAddress;
    const char* replyAddress;  // nullptr: the board's own address
    std::uint16_t replyPort;   // 0: one the system picks
    bool taken;
};
void PrintTo(const ReplySenderCase& c, std::ostream* os) { *os << c.name; }

class UdpReplySender : public ::testing::TestWithParam<ReplySenderCase> {};

TEST_P(UdpReplySender, OnlyTheBoardsAddressAnswersAndUdpPeerFollowsItsPort) {
    const ReplySenderCase& c = GetParam();
    mpdll::test::DatagramPeer replier(c.replyAddress ? c.replyAddress : c.boardAddress, c.replyPort);
    ASSERT_TRUE(replier.bound());
    mpdll::test::DatagramPeer board(c.boardAddress, kBoardPort);
    ASSERT_TRUE(board.bound());
    const auto ok = [](const std::string& line) { return mpdll::test::DatagramReply{0, {"ok " + line}}; };
    board.answer(ok, &replier);
    replier.answer(ok);
    auto dev = udp_record(c.boardAddress);
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    const MpSockAddrIn opened = dev->udpPeer;

    char response[64];
    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(SendCommand(dev.get(), "iwpriv wlan0 mp_ther", response, sizeof response, 0, 0), MPDLL_OK);
    const double elapsed = clock.seconds();
    EXPECT_EQ(board.lines(), 1);
    EXPECT_EQ(dev->udpPeer.address, opened.address) << "udpPeer left the board's address";
    EXPECT_EQ(dev->udpPeer.family, opened.family);
    if (c.taken) {
        EXPECT_STREQ(response, "ok iwpriv wlan0 mp_ther");
        EXPECT_LT(elapsed, 2.0) << "the answer was not taken when it came";
        EXPECT_EQ(ntohs(dev->udpPeer.port), c.replyPort) << "udpPeer did not take the reply's port";
        // The next command goes to the port the board answered from.
        EXPECT_EQ(SendCommand(dev.get(), "iwpriv wlan0 mp_query", response, sizeof response, 0, 0), MPDLL_OK);
        EXPECT_STREQ(response, "ok iwpriv wlan0 mp_query");
        EXPECT_EQ(replier.lines(), 1);
        EXPECT_EQ(board.lines(), 1);
    } else {
        EXPECT_STREQ(response, "") << "a datagram from another address was taken";
        EXPECT_GE(elapsed, 4.9) << "the wait ended on a datagram from another address";
        EXPECT_LT(elapsed, 6.5);
        EXPECT_EQ(dev->udpPeer.port, opened.port) << "udpPeer took another sender's port";
    }
    CloseDev(dev.get(), MPDLL_MODE_UDP);
}

INSTANTIATE_TEST_SUITE_P(Senders, UdpReplySender,
                         ::testing::Values(ReplySenderCase{"BoardsAddressPort9035", "127.0.0.174", nullptr, 9035, true},
                                           ReplySenderCase{"OtherLoopbackAddress", "127.0.0.175", "127.0.0.2", 0,
                                                           false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
