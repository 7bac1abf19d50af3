// Starting the simulated board for one transport and filling a record for it.
#include "board_under_test.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace mpdll::reliability {
namespace {

// 127.(pid-derived).(pid-derived).(per-board counter): distinct for every
// board in every test process, so parallel test programs never share 9034.
std::string own_udp_address() {
    static std::atomic<int> boards{0};
    const int pid = static_cast<int>(::getpid());
    const int serial = boards.fetch_add(1) % 200;
    return "127." + std::to_string(pid / 250 % 250 + 1) + "." + std::to_string(pid % 250 + 1) + "." +
           std::to_string(serial + 20);
}

template <std::size_t N>
void put_text(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

}  // namespace

const char* transport_name(Transport transport) {
    switch (transport) {
        case Transport::telnet: return "telnet";
        case Transport::udp: return "udp";
        case Transport::serial: return "serial";
    }
    return "?";
}

mpboard::Options quick_board(Transport transport) {
    mpboard::Options options;
    options.telnet_port = transport == Transport::telnet ? 0 : -1;
    options.udp_port = transport == Transport::udp ? 9034 : -1;
    options.serial = transport == Transport::serial;
    options.negotiation_wait_ms = 100;
    options.login_fail_delay_ms = 300;
    return options;
}

BoardUnderTest::BoardUnderTest(Transport transport, mpboard::Options options) : transport_(transport) {
    if (transport == Transport::udp) {
        udpAddress_ = own_udp_address();
        options.udp_address = udpAddress_;
    }
    board_ = std::make_unique<mpboard::Simulator>(std::move(options));
    board_->start();
    if (transport == Transport::serial) serialPath_ = board_->serial_path();
}

std::unique_ptr<DevContext> BoardUnderTest::record() const {
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    put_text(dev->prompt, "# ");
    put_text(dev->ifName, "wlan0");
    switch (transport_) {
        case Transport::telnet:
            dev->mode = MPDLL_MODE_TELNET;
            put_text(dev->ipText, "127.0.0.1:" + std::to_string(board_->telnet_port()));
            put_text(dev->userName, "root");
            put_text(dev->password, "root");
            break;
        case Transport::udp:
            dev->mode = MPDLL_MODE_UDP;
            ::inet_pton(AF_INET, udpAddress_.c_str(), &dev->udpPeer.address);
            break;
        case Transport::serial:
            dev->mode = MPDLL_MODE_SERIAL;
            dev->portName = serialPath_.c_str();
            dev->dcb.DCBlength = sizeof(MpDcb);
            dev->dcb.BaudRate = 115200;
            dev->dcb.fBinary = 1;
            dev->dcb.ByteSize = 8;
            break;
    }
    return dev;
}

std::uint32_t BoardUnderTest::close_mask() const {
    switch (transport_) {
        case Transport::telnet: return MPDLL_MODE_TELNET;
        case Transport::udp: return MPDLL_MODE_UDP;
        case Transport::serial: return MPDLL_MODE_SERIAL;
    }
    return 0;
}

}  // namespace mpdll::reliability
