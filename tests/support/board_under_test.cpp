// Starting the simulated board on the test's endpoints and filling a record
// that reaches it.
#include "support/board_under_test.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace mpdll::test {
namespace {

template <std::size_t N>
void put_text(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

}  // namespace

const char* transport_name(Transport transport) {
    switch (transport) {
        case Transport::telnet:
            return "telnet";
        case Transport::udp:
            return "udp";
        case Transport::serial:
            return "serial";
    }
    return "?";
}

std::int32_t mode_of(Transport transport) {
    switch (transport) {
        case Transport::telnet:
            return MPDLL_MODE_TELNET;
        case Transport::udp:
            return MPDLL_MODE_UDP;
        case Transport::serial:
            return MPDLL_MODE_SERIAL;
    }
    return 0;
}

Transport transport_of(std::int32_t mode) {
    switch (mode) {
        case MPDLL_MODE_UDP:
            return Transport::udp;
        case MPDLL_MODE_TELNET:
            return Transport::telnet;
        default:
            return Transport::serial;
    }
}

std::string mode_test_name(const ::testing::TestParamInfo<std::int32_t>& info) {
    switch (transport_of(info.param)) {
        case Transport::udp:
            return "Udp";
        case Transport::telnet:
            return "Telnet";
        case Transport::serial:
            return "Serial";
    }
    return "?";
}

std::string own_udp_address() {
    static std::atomic<int> boards{0};
    const int pid = static_cast<int>(::getpid());
    const int serial = boards.fetch_add(1) % 200;
    return "127." + std::to_string(pid / 250 % 250 + 1) + "." + std::to_string(pid % 250 + 1) + "." +
           std::to_string(serial + 20);
}

mpboard::Options quick_board() {
    mpboard::Options options;
    options.login_fail_delay_ms = 300;
    return options;
}

SimulatedBoard::SimulatedBoard(std::optional<Transport> only, mpboard::Options options, int negotiationWaitMs) {
    const auto serves = [&](Transport transport) { return !only || *only == transport; };
    options.telnet_port = serves(Transport::telnet) ? 0 : -1;
    options.udp_port = serves(Transport::udp) ? 9034 : -1;
    options.serial = serves(Transport::serial);
    if (serves(Transport::udp)) {
        udpAddress_ = own_udp_address();
        options.udp_address = udpAddress_;
    }
    options.negotiation_wait_ms = negotiationWaitMs;
    board_ = std::make_unique<mpboard::Simulator>(std::move(options));
    board_->start();
    if (serves(Transport::serial)) serialPath_ = board_->serial_path();
}

std::string SimulatedBoard::telnet_address() const { return "127.0.0.1:" + std::to_string(board_->telnet_port()); }

BoardUnderTest::BoardUnderTest(Transport transport, mpboard::Options options, BoardSetup setup)
    : SimulatedBoard(setup.servesAll ? std::nullopt : std::optional<Transport>(transport), std::move(options),
                     setup.negotiationWaitMs),
      transport_(transport),
      settings_(std::move(setup.record)) {}

std::unique_ptr<DevContext> BoardUnderTest::record() const {
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    dev->mode = mode_of(transport_);
    put_text(dev->prompt, "# ");
    put_text(dev->ifName, settings_.ifName);
    put_text(dev->toolPath, settings_.toolPath);
    switch (transport_) {
        case Transport::telnet:
            put_text(dev->ipText, telnet_address());
            put_text(dev->userName, "root");
            put_text(dev->password, settings_.password);
            break;
        case Transport::udp:
            EXPECT_EQ(1, ::inet_pton(AF_INET, udp_address().c_str(), &dev->udpPeer.address)) << udp_address();
            break;
        case Transport::serial:
            dev->portName = serial_path().c_str();
            dev->dcb.DCBlength = sizeof(MpDcb);
            dev->dcb.BaudRate = settings_.serial.baudRate;
            dev->dcb.fBinary = settings_.serial.binary ? 1 : 0;
            dev->dcb.ByteSize = 8;
            dev->commTimeouts = settings_.serial.timeouts;
            break;
    }
    return dev;
}

}  // namespace mpdll::test
