// What SendCommand and the transports report when the platform fails
// underneath them, with failing operation tables swapped in.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "connection/last_exchange.h"
#include "mpdll/mpdll.h"
#include "platform/native_ops.h"
#include "platform/platform.h"
#include "support/swapped_platform_ops.h"
#include "text/buffer_sizes.h"

namespace {

namespace platform = mpdll::platform;

constexpr int kConnectionReset = 104;

class TransportFailure : public testing::Test {
  protected:
    void SetUp() override {
        sockets_ = platform::native_socket_ops();
        serial_ = platform::native_serial_ops();
        dev_ = std::make_unique<DevContext>();
        std::memset(dev_.get(), 0, sizeof(DevContext));
        std::strcpy(dev_->prompt, "# ");
        dev_->telnetSocket = dev_->udpSocket = -1;
        swappedOps_.emplace(sockets_, serial_);
    }
    int32_t send_command(int32_t mode, const char* command = "iwpriv wlan0 mp_start") {
        dev_->mode = mode;
        std::memset(response_, 'x', sizeof response_);
        return SendCommand(dev_.get(), command, response_, sizeof response_, 0, 0);
    }
    static std::string last_sent() {
        char sent[mpdll::kCommandSize], received[8];
        GetBuffer(nullptr, sent, sizeof sent, received, sizeof received);
        return sent;
    }

    platform::SocketOps sockets_{};
    platform::SerialOps serial_{};
    std::optional<mpdll::test::SwappedPlatformOps> swappedOps_;
    std::unique_ptr<DevContext> dev_;
    char response_[64];
};

TEST_F(TransportFailure, UnknownModeSendsNothingAndClearsEverything) {
    sockets_.send = [](MpSocket, const char*, int) -> int {
        ADD_FAILURE() << "nothing may be sent";
        return -1;
    };
    mpdll::last_exchange::record_sent("older line");
    EXPECT_EQ(send_command(0), MPDLL_E_MODE);
    EXPECT_EQ(send_command(3), MPDLL_E_MODE);
    EXPECT_STREQ(response_, "");
    EXPECT_EQ(last_sent(), "");
}

TEST_F(TransportFailure, NullArgumentsAreRejectedBeforeAnythingIsSent) {
    sockets_.send = [](MpSocket, const char*, int) -> int {
        ADD_FAILURE() << "nothing may be sent";
        return -1;
    };
    dev_->mode = MPDLL_MODE_TELNET;
    char response[8];
    EXPECT_EQ(SendCommand(nullptr, "ls", response, 8, 0, 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(SendCommand(dev_.get(), nullptr, response, 8, 0, 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(SendCommand(dev_.get(), "ls", nullptr, 8, 0, 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(SendCommand(dev_.get(), "ls", response, 0, 0, 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(TelnetSnd(dev_.get(), nullptr, 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(TelnetSnd(nullptr, "ls", 2), MPDLL_E_ARGUMENT);
    int32_t length = 0;
    EXPECT_EQ(TelnetRcv(dev_.get(), response, 8, nullptr, 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(TelnetRcv(dev_.get(), nullptr, 8, &length, 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(SerialSnd(dev_.get(), nullptr, 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(SerialRcv(dev_.get(), nullptr, 8, nullptr, 0), MPDLL_E_ARGUMENT);
}

TEST_F(TransportFailure, TelnetSendErrorNumberPassesThrough) {
    sockets_.wait_readable = [](MpSocket, int) { return platform::Wait::timeout; };
    sockets_.send = [](MpSocket, const char*, int) { return -1; };
    sockets_.last_error = [] { return kConnectionReset; };
    EXPECT_EQ(send_command(MPDLL_MODE_TELNET), kConnectionReset);
    EXPECT_STREQ(response_, "");
    EXPECT_EQ(last_sent(), "iwpriv wlan0 mp_start\r") << "lastSent holds what was to be sent";
}

TEST_F(TransportFailure, TelnetSendGoesOutInPiecesUntilComplete) {
    static std::string wire;
    wire.clear();
    sockets_.send = [](MpSocket, const char* data, int length) {
        const int piece = length < 3 ? length : 3;
        wire.append(data, static_cast<size_t>(piece));
        return piece;
    };
    dev_->mode = MPDLL_MODE_TELNET;
    EXPECT_EQ(TelnetSnd(dev_.get(), "mp_ctx stop", 11), MPDLL_OK);
    EXPECT_EQ(wire, "mp_ctx stop\r");
    wire.clear();
    EXPECT_EQ(TelnetSnd(dev_.get(), "", 0), MPDLL_OK);
    EXPECT_EQ(wire, "\r");
    EXPECT_EQ(TelnetSnd(dev_.get(), "x", 16383), MPDLL_E_ARGUMENT) << "no room for the CR";
}

TEST_F(TransportFailure, TelnetWaitFailureIsATransportFailure) {
    sockets_.send = [](MpSocket, const char*, int length) { return length; };
    sockets_.wait_readable = [](MpSocket, int) { return platform::Wait::failed; };
    EXPECT_EQ(send_command(MPDLL_MODE_TELNET), MPDLL_E_TRANSPORT);
}

TEST_F(TransportFailure, TelnetReceiveErrorNumberPassesThrough) {
    sockets_.send = [](MpSocket, const char*, int length) { return length; };
    sockets_.wait_readable = [](MpSocket, int) { return platform::Wait::ready; };
    sockets_.pending = [](MpSocket) { return 0; };
    sockets_.recv = [](MpSocket, char*, int) { return -1; };
    sockets_.last_error = [] { return kConnectionReset; };
    EXPECT_EQ(send_command(MPDLL_MODE_TELNET), kConnectionReset);
}

TEST_F(TransportFailure, UdpSendFailureKeepsTheLineInLastSent) {
    sockets_.wait_readable = [](MpSocket, int) { return platform::Wait::timeout; };
    sockets_.send_to = [](MpSocket, const char*, int, const MpSockAddrIn&) { return -1; };
    EXPECT_EQ(send_command(MPDLL_MODE_UDP), MPDLL_E_TRANSPORT);
    EXPECT_EQ(last_sent(), "iwpriv wlan0 mp_start");
}

TEST_F(TransportFailure, UdpWaitAndReceiveFailures) {
    static int waits = 0;
    waits = 0;
    sockets_.send_to = [](MpSocket, const char*, int length, const MpSockAddrIn&) { return length; };
    // The first wait belongs to the discard of stale datagrams.
    sockets_.wait_readable = [](MpSocket, int) {
        return ++waits == 1 ? platform::Wait::timeout : platform::Wait::failed;
    };
    EXPECT_EQ(send_command(MPDLL_MODE_UDP), MPDLL_E_TRANSPORT);

    waits = 0;
    sockets_.wait_readable = [](MpSocket, int) {
        return ++waits == 1 ? platform::Wait::timeout : platform::Wait::ready;
    };
    sockets_.recv_from = [](MpSocket, char*, int, MpSockAddrIn*) { return -1; };
    EXPECT_EQ(send_command(MPDLL_MODE_UDP), MPDLL_E_TRANSPORT);
}

TEST_F(TransportFailure, SerialWriteFailurePurgesTheOutput) {
    static unsigned lastPurge = 0;
    serial_.purge = [](MpHandle, unsigned mask) {
        lastPurge = mask;
        return true;
    };
    serial_.write = [](MpHandle, const char*, int) { return -1; };
    EXPECT_EQ(send_command(MPDLL_MODE_SERIAL), MPDLL_E_TRANSPORT);
    EXPECT_EQ(lastPurge, platform::kPurgeOutput);
    EXPECT_STREQ(response_, "");
}

TEST_F(TransportFailure, SerialStatusFailures) {
    serial_.purge = [](MpHandle, unsigned) { return true; };
    serial_.write = [](MpHandle, const char*, int length) { return length; };
    serial_.status = [](MpHandle, std::uint32_t*, std::uint32_t*) { return false; };
    dev_->sendTimeout = 100;
    EXPECT_EQ(send_command(MPDLL_MODE_SERIAL), MPDLL_E_TRANSPORT) << "status fails while the output drains";
    dev_->sendTimeout = 0;
    EXPECT_EQ(send_command(MPDLL_MODE_SERIAL), MPDLL_E_SERIAL_TIMEOUT) << "status fails while receiving";
}

TEST_F(TransportFailure, SerialReadFailurePurgesTheInput) {
    static unsigned lastPurge = 0;
    serial_.purge = [](MpHandle, unsigned mask) {
        lastPurge = mask;
        return true;
    };
    serial_.write = [](MpHandle, const char*, int length) { return length; };
    serial_.status = [](MpHandle, std::uint32_t* in, std::uint32_t* out) {
        *in = 5;
        *out = 0;
        return true;
    };
    serial_.read = [](MpHandle, char*, int, int) { return -1; };
    EXPECT_EQ(send_command(MPDLL_MODE_SERIAL), MPDLL_E_TRANSPORT);
    EXPECT_EQ(lastPurge, platform::kPurgeInput);
}

}  // namespace
