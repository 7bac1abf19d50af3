// Raw socket and terminal clients for the simulator tests.
#include "board_clients.h"
#include "support/stopwatch.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include <gtest/gtest.h>

namespace mpboard::testing {

ByteClient::~ByteClient() {
    if (fd_ >= 0) ::close(fd_);
}

void ByteClient::send(std::string_view bytes) const {
    ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

std::string ByteClient::read_once(int ms, int* error) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0) return {};
    char buffer[65536];
    ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && error) *error = errno;
    if (quick_ack_) {
        int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string ByteClient::read_until(std::string_view text, int ms) {
    const mpdll::test::Stopwatch clock;
    std::string got;
    while (got.find(text) == std::string::npos) {
        long long left = ms - clock.milliseconds();
        if (left <= 0) break;
        int error = 0;
        std::string piece = read_once(static_cast<int>(left), &error);
        if (error) break;
        got += piece;
    }
    return got;
}

std::string ByteClient::read_for(int ms) {
    const mpdll::test::Stopwatch clock;
    std::string got;
    for (long long left = ms; left > 0; left = ms - clock.milliseconds()) {
        int error = 0;
        got += read_once(static_cast<int>(left), &error);
        if (error) break;
    }
    return got;
}

TelnetClient::TelnetClient(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) throw std::runtime_error("connect failed");
    quick_ack_ = true;
}

ConsoleClient::ConsoleClient(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("cannot open " + path);
    termios raw{};
    ::tcgetattr(fd_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd_, TCSANOW, &raw);
}

UdpClient::UdpClient() { fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0); }
UdpClient::~UdpClient() { ::close(fd_); }

void UdpClient::send(int port, std::string_view line) const {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd_, line.data(), line.size(), 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
}

std::string UdpClient::receive(int ms) const {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0) return {};
    char buffer[65536];
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string negotiation_answer() { return "\xff\xfd\x01\xff\xfd\x03\xff\xfc\x18"; }

void log_in(TelnetClient& client, const Options& options) {
    client.read_until("\xff\xfd\x18");
    client.send(negotiation_answer());
    ASSERT_NE(client.read_until("login: ").find("login: "), std::string::npos);
    client.send(options.user + "\r");
    ASSERT_NE(client.read_until("Password: ").find("Password: "), std::string::npos);
    client.send(options.password + "\r");
    ASSERT_NE(client.read_until(options.prompt).find(options.prompt), std::string::npos);
}

Options quick_options() {
    Options o;
    o.telnet_port = 0;
    o.udp_port = 0;
    o.serial = false;
    o.login_fail_delay_ms = 200;
    o.negotiation_wait_ms = 300;
    return o;
}

}  // namespace mpboard::testing
