// OpenDev and CloseDev without a board: mode checks, the address text,
// connection failures, and which connections a close touches.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "connection/telnet/telnet_address.h"
#include "mpdll/mpdll.h"
#include "platform/native_ops.h"
#include "platform/platform.h"
#include "support/stopwatch.h"
#include "support/swapped_platform_ops.h"

namespace {

std::unique_ptr<DevContext> blank_record() {
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    return dev;
}

TEST(OpenDev, ModeOtherThanUdpTelnetSerialIsRejected) {
    for (int32_t mode : {0, 3, 5, 6, 7, -1, 8}) {
        auto dev = blank_record();
        dev->mode = mode;
        dev->openFlags = 0xFFFFFFFFu;
        EXPECT_EQ(OpenDev(dev.get()), MPDLL_E_OPEN_MODE) << "mode " << mode;
        EXPECT_EQ(dev->openFlags, 0u);
    }
    EXPECT_EQ(OpenDev(nullptr), MPDLL_E_ARGUMENT);
}

struct AddressCase {
    const char* text;
    bool parses;
    uint32_t address;  // host order
    uint16_t port;
};

TEST(TelnetAddress, DottedDecimalWithOptionalPort) {
    const std::vector<AddressCase> cases = {
        {"192.168.1.1", true, 0xC0A80101u, 23},
        {"127.0.0.1:2323", true, 0x7F000001u, 2323},
        {"10.0.0.254:65535", true, 0x0A0000FEu, 65535},
        {"0.0.0.0", true, 0u, 23},
        {"255.255.255.255", false, 0, 0},
        {"256.1.1.1", false, 0, 0},
        {"1.2.3", false, 0, 0},
        {"1.2.3.4.5", false, 0, 0},
        {"1..3.4", false, 0, 0},
        {"a.b.c.d", false, 0, 0},
        {"1.2.3.4:", false, 0, 0},
        {"1.2.3.4:0", false, 0, 0},
        {"1.2.3.4:65536", false, 0, 0},
        {"1.2.3.4:123456", false, 0, 0},
        {"1.2.3.4:4294967319", false, 0, 0},  // 2^32 + 23 must not wrap to port 23
        {"1000.2.3.4", false, 0, 0},
        {"4294967297.2.3.4", false, 0, 0},  // 2^32 + 1 must not wrap to 1
        {"1.2.3.4:23x", false, 0, 0},
        {"-1.2.3.4", false, 0, 0},
        {" 1.2.3.4", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const AddressCase& c : cases) {
        const auto peer = mpdll::telnet_peer(c.text);
        ASSERT_EQ(peer.has_value(), c.parses) << c.text;
        if (!peer) continue;
        EXPECT_EQ(peer->family, 2);
        EXPECT_EQ(ntohl(peer->address), c.address) << c.text;
        EXPECT_EQ(ntohs(peer->port), c.port) << c.text;
    }
}

TEST(OpenDev, TelnetWithAnUnusableAddressFailsAtOnce) {
    for (const char* text : {"300.1.1.1", "255.255.255.255", "127.0.0.1:0", "localhost"}) {
        auto dev = blank_record();
        dev->mode = MPDLL_MODE_TELNET;
        std::strncpy(dev->ipText, text, sizeof dev->ipText);
        const mpdll::test::Stopwatch clock;
        EXPECT_EQ(OpenDev(dev.get()), MPDLL_E_OPEN) << text;
        EXPECT_LT(clock.seconds(), 1.0);
        EXPECT_EQ(dev->openFlags, 0u);
    }
}

TEST(OpenDev, TelnetIpTextIsReadOnlyWithinItsField) {
    auto dev = blank_record();
    dev->mode = MPDLL_MODE_TELNET;
    std::memset(dev->ipText, '1', sizeof dev->ipText);  // no terminator; recvTimeout follows
    EXPECT_EQ(OpenDev(dev.get()), MPDLL_E_OPEN);
}

TEST(OpenDev, TelnetToAClosedPortFails) {
    // A port that was free a moment ago: bind, read the number, close.
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);

    auto dev = blank_record();
    dev->mode = MPDLL_MODE_TELNET;
    const std::string text = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    std::strncpy(dev->ipText, text.c_str(), sizeof dev->ipText);
    EXPECT_EQ(OpenDev(dev.get()), MPDLL_E_OPEN);
    EXPECT_EQ(dev->openFlags & MPDLL_MODE_TELNET, 0u);
    EXPECT_EQ(ntohs(dev->telnetPeer.port), ntohs(address.sin_port)) << "the failed attempt stays in the record";
}

// Counts what CloseDev closes, through swapped operation tables.
struct CloseCounter {
    static inline std::vector<MpSocket> sockets;
    static inline int serialCloses = 0;
    static void close_socket(MpSocket s) { sockets.push_back(s); }
    static void close_serial(MpHandle) { ++serialCloses; }
};

class CloseDevTest : public testing::Test {
  protected:
    void SetUp() override {
        CloseCounter::sockets.clear();
        CloseCounter::serialCloses = 0;
        socketOps_ = mpdll::platform::native_socket_ops();
        socketOps_.close = CloseCounter::close_socket;
        serialOps_ = mpdll::platform::native_serial_ops();
        serialOps_.close = CloseCounter::close_serial;
        swappedOps_.emplace(socketOps_, serialOps_);
    }
    mpdll::platform::SocketOps socketOps_{};
    mpdll::platform::SerialOps serialOps_{};
    std::optional<mpdll::test::SwappedPlatformOps> swappedOps_;
};

struct CloseCase {
    uint32_t openFlags;
    int32_t mode;
    uint32_t which;
    uint32_t flagsAfter;
    int32_t modeAfter;
    std::vector<MpSocket> socketsClosed;
    int serialCloses;
};

TEST_F(CloseDevTest, ClosesOnlyWhatIsOpenAndNamed) {
    constexpr MpSocket kUdp = 11, kAux = 12, kTelnet = 13;
    const std::vector<CloseCase> cases = {
        {1, 1, 1, 0, 0, {kUdp, kAux}, 0}, {1, 1, 2, 1, 1, {}, 0},  // only UDP open: closes nothing, clears nothing of
                                                                   // mode
        {1, 2, 2, 1, 0, {}, 0},                                    // bit 2 of mode cleared although telnet was not open
        {2, 2, 7, 0, 0, {kTelnet}, 0},    {4, 4, 4, 0, 0, {}, 1}, {7, 7, 5, 2, 2, {kUdp, kAux}, 1},
        {0, 4, 4, 0, 0, {}, 0},           {2, 2, 0, 2, 2, {}, 0},
    };
    for (const CloseCase& c : cases) {
        CloseCounter::sockets.clear();
        CloseCounter::serialCloses = 0;
        auto dev = blank_record();
        dev->udpSocket = kUdp;
        dev->udpAuxSocket = kAux;
        dev->telnetSocket = kTelnet;
        dev->serialHandle = reinterpret_cast<MpHandle>(static_cast<intptr_t>(99));
        dev->openFlags = c.openFlags;
        dev->mode = c.mode;
        EXPECT_EQ(CloseDev(dev.get(), c.which), MPDLL_OK);
        EXPECT_EQ(dev->openFlags, c.flagsAfter) << "flags " << c.openFlags << " which " << c.which;
        EXPECT_EQ(dev->mode, c.modeAfter) << "flags " << c.openFlags << " which " << c.which;
        EXPECT_EQ(CloseCounter::sockets, c.socketsClosed) << "flags " << c.openFlags << " which " << c.which;
        EXPECT_EQ(CloseCounter::serialCloses, c.serialCloses);
        EXPECT_EQ(dev->udpStop, (c.openFlags & c.which & 1) ? 1 : 0);
    }
}

TEST_F(CloseDevTest, SerialHandleZeroIsNotClosed) {
    auto dev = blank_record();
    dev->openFlags = dev->mode = MPDLL_MODE_SERIAL;
    EXPECT_EQ(CloseDev(dev.get(), MPDLL_MODE_SERIAL), MPDLL_OK);
    EXPECT_EQ(CloseCounter::serialCloses, 0);
    EXPECT_EQ(dev->openFlags, 0u);
}

TEST(CloseDev, InvalidRecordPointers) {
    EXPECT_EQ(CloseDev(nullptr, 7), MPDLL_E_OPEN);
    EXPECT_EQ(CloseDev(reinterpret_cast<DevContext*>(static_cast<uintptr_t>(0xCCCCCCCCu)), 7), MPDLL_E_OPEN);
}

}  // namespace
