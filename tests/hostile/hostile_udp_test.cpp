// Hostile datagram peers: a sender on another address races forged replies
// to the library's port, and a board whose reply comes after the window.
// Only the board's own reply to this command (from any port of its address)
// may be the answer, and udpPeer keeps pointing at the board.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "support/board_under_test.h"
#include "support/datagram_peer.h"
#include "support/stopwatch.h"

namespace mpdll::test {
namespace {

constexpr std::uint16_t kBoardPort = 9034;
constexpr double kWindowOpens = 5.0, kWindowCloses = 6.0;
constexpr int kAnswerDelayMs = 300;    // how long the board takes to answer

struct Exchange {
    std::int32_t status = -1;
    std::string response;
    double seconds = 0;
};

Exchange send(DevContext* dev, const std::string& line) {
    Exchange result;
    char response[2048];
    const Stopwatch clock;
    result.status = SendCommand(dev, line.c_str(), response, sizeof response, 0, 0);
    result.seconds = clock.seconds();
    result.response = response;
    return result;
}

std::string received_transcript() {
    char sent[16], received[2048];
    GetBuffer(nullptr, sent, sizeof sent, received, sizeof received);
    return received;
}

// The port the library's command socket sends from (bound by its first send).
std::uint16_t library_port(const DevContext& dev) {
    sockaddr_in own{};
    socklen_t size = sizeof own;
    ::getsockname(dev.udpSocket, reinterpret_cast<sockaddr*>(&own), &size);
    return ntohs(own.sin_port);
}

// A board on 9034 of an address of this process's own, and a record for it.
class UdpBoardRecord {
  public:
    UdpBoardRecord() : address_(own_udp_address()), board_(address_, kBoardPort), dev_(std::make_unique<DevContext>()) {
        std::memset(dev_.get(), 0, sizeof(DevContext));
        dev_->mode = MPDLL_MODE_UDP;
        ::inet_pton(AF_INET, address_.c_str(), &dev_->udpPeer.address);
    }
    ~UdpBoardRecord() { CloseDev(dev_.get(), MPDLL_MODE_UDP); }
    const std::string& address() const { return address_; }
    DatagramPeer& board() { return board_; }
    DevContext* dev() { return dev_.get(); }

  private:
    std::string address_;
    DatagramPeer board_;
    std::unique_ptr<DevContext> dev_;
};

struct ImpostorCase {
    const char* name;
    std::uint16_t replyPort;  // the board answers from this port of its address (9034: the one it listens on)
    bool boardAnswers;        // false: only the impostor ever answers
};
void PrintTo(const ImpostorCase& c, std::ostream* os) { *os << c.name; }

class UdpImpostor : public ::testing::TestWithParam<ImpostorCase> {};

TEST_P(UdpImpostor, OnlyTheBoardsReplyIsTheAnswerAndTheBoardIsKept) {
    const ImpostorCase& c = GetParam();
    UdpBoardRecord record;
    ASSERT_TRUE(record.board().bound());
    const bool otherPort = c.replyPort != kBoardPort;
    // The board's second socket, on its own address; it answers what is sent to it too.
    DatagramPeer replyPort(record.address(), otherPort ? c.replyPort : 0);
    ASSERT_TRUE(replyPort.bound());
    const auto reply = [&](const std::string& line) {
        if (!c.boardAnswers && line != "warm up") return DatagramReply{};
        return DatagramReply{kAnswerDelayMs, {"ok " + line}};
    };
    record.board().answer(reply, otherPort ? &replyPort : nullptr);
    replyPort.answer(reply);
    DatagramPeer impostor(own_udp_address(), 0);
    ASSERT_TRUE(impostor.bound());
    ASSERT_EQ(OpenDev(record.dev()), MPDLL_OK);
    const MpSockAddrIn peer = record.dev()->udpPeer;
    ASSERT_EQ(send(record.dev(), "warm up").response, "ok warm up");
    const std::uint16_t target = library_port(*record.dev());

    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        while (flooding) {
            impostor.send_to("127.0.0.1", target, "wlan0 mp_query: Tx OK:999, CRC OK:999, CRC Err:0");
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const Exchange query = send(record.dev(), "iwpriv wlan0 mp_query");
    flooding = false;
    flood.join();

    EXPECT_EQ(query.status, MPDLL_OK);
    EXPECT_EQ(query.response, c.boardAnswers ? "ok iwpriv wlan0 mp_query" : "") << "a forged datagram was taken";
    if (c.boardAnswers) {
        EXPECT_LT(query.seconds, kAnswerDelayMs / 1000.0 + 3 * kSchedulingSlackSeconds)
            << "the board's answer was not taken when it came";
    } else {
        EXPECT_GE(query.seconds, kWindowOpens) << "the wait ended on a datagram that is not the board's";
        EXPECT_LT(query.seconds, kWindowCloses + kSchedulingSlackSeconds);
    }
    EXPECT_EQ(record.dev()->udpPeer.address, peer.address) << "udpPeer was rewritten with another sender";
    EXPECT_EQ(ntohs(record.dev()->udpPeer.port), c.replyPort) << "udpPeer is not where the board answered from";

    // The next command goes to where the board answered from.
    DatagramPeer& answering = otherPort ? replyPort : record.board();
    const int linesBefore = answering.lines();
    EXPECT_EQ(send(record.dev(), "warm up").response, "ok warm up");
    EXPECT_EQ(answering.lines(), linesBefore + 1);
}

INSTANTIATE_TEST_SUITE_P(Senders, UdpImpostor,
                         ::testing::Values(ImpostorCase{"OtherHost", kBoardPort, true},
                                           ImpostorCase{"OtherHostBoardAnswersFrom9035", 9035, true},
                                           ImpostorCase{"SilentBoard", kBoardPort, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The board answers the first line 6.5 s late, past the window; that answer
// lands while the caller is idle and must not become the next line's answer.
TEST(UdpLateReply, IsDroppedBeforeTheNextCommandAndTheTranscriptSaysSo) {
    constexpr int kLateMs = 6500;
    UdpBoardRecord record;
    ASSERT_TRUE(record.board().bound());
    record.board().answer([](const std::string& line) {
        return DatagramReply{line == "iwpriv wlan0 mp_query" ? kLateMs : 0, {"ok " + line}};
    });
    ASSERT_EQ(OpenDev(record.dev()), MPDLL_OK);
    const Stopwatch clock;
    const Exchange first = send(record.dev(), "iwpriv wlan0 mp_query");
    EXPECT_EQ(first.status, MPDLL_OK);
    EXPECT_EQ(first.response, "");
    EXPECT_GE(first.seconds, kWindowOpens);
    EXPECT_LT(first.seconds, kWindowCloses + kSchedulingSlackSeconds);
    EXPECT_NE(received_transcript().find("late"), std::string::npos)
        << "the transcript does not say the reply may be late: " << received_transcript();

    std::this_thread::sleep_for(std::chrono::milliseconds(kLateMs + 500) -
                                std::chrono::milliseconds(static_cast<int>(clock.seconds() * 1000)));
    const Exchange second = send(record.dev(), "iwpriv wlan0 mp_ther");
    EXPECT_EQ(second.status, MPDLL_OK);
    EXPECT_EQ(second.response, "ok iwpriv wlan0 mp_ther") << "the late reply was taken as this command's answer";
    EXPECT_EQ(received_transcript(), "ok iwpriv wlan0 mp_ther");
}

}  // namespace
}  // namespace mpdll::test
