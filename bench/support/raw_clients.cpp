// The raw baselines: telnet (with its login), UDP and the pseudo-terminal.
#include "support/raw_clients.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace mpbench {
namespace {

constexpr int kAnswerTimeoutMs = 7000;
constexpr unsigned char IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int connect_to(int type, int port) {
    int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address = loopback(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Strips telnet commands out of data and answers them: ECHO and
// SUPPRESS-GO-AHEAD are agreed to, every other option refused, refusals
// not answered. Returns the plain text.
std::string answer_negotiation(int fd, std::string_view data) {
    std::string text, reply;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte != IAC || i + 1 >= data.size()) {
            text.push_back(data[i]);
            continue;
        }
        const auto command = static_cast<unsigned char>(data[i + 1]);
        if (command == SB) {
            const std::size_t end = data.find(static_cast<char>(SE), i);
            i = end == std::string_view::npos ? data.size() : end;
            continue;
        }
        if ((command == DO || command == WILL || command == DONT || command == WONT) && i + 2 < data.size()) {
            const auto option = static_cast<unsigned char>(data[i + 2]);
            const bool agreed = option == 1 || option == 3;
            if (command == DO)
                reply += {static_cast<char>(IAC), static_cast<char>(agreed ? WILL : WONT), static_cast<char>(option)};
            if (command == WILL)
                reply += {static_cast<char>(IAC), static_cast<char>(agreed ? DO : DONT), static_cast<char>(option)};
            i += 2;
            continue;
        }
        ++i;  // two-byte command or escaped 255
    }
    if (!reply.empty()) write_all(fd, reply);
    return text;
}

}  // namespace

RawTelnetClient::RawTelnetClient(int port, bool quickAck, bool quickAckAfterSend)
    : fd_(connect_to(SOCK_STREAM, port)),
      quickAck_(quickAck),
      quickAckAfterSend_(quickAckAfterSend),
      reader_(fd_, "", quickAck) {}

RawTelnetClient::~RawTelnetClient() {
    if (fd_ >= 0) ::close(fd_);
}

bool RawTelnetClient::login(std::string_view user, std::string_view password, const std::string& prompt) {
    if (fd_ < 0) return false;
    std::string seen;
    bool userSent = false, passwordSent = false;
    for (;;) {
        pollfd entry{fd_, POLLIN, 0};
        if (::poll(&entry, 1, kAnswerTimeoutMs) <= 0) return false;
        char chunk[4096];
        ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n <= 0) return false;
        seen += answer_negotiation(fd_, std::string_view(chunk, static_cast<std::size_t>(n)));
        if (!userSent && seen.find("login:") != std::string::npos) {
            write_all(fd_, std::string(user) + "\r");
            userSent = true;
            seen.clear();
        } else if (userSent && !passwordSent && seen.find("assword:") != std::string::npos) {
            write_all(fd_, std::string(password) + "\r");
            passwordSent = true;
            seen.clear();
        } else if (std::string_view(seen).ends_with(prompt)) {
            reader_ = PromptReader(fd_, prompt, quickAck_);
            return true;
        }
    }
}

long RawTelnetClient::round_trip(std::string_view line) {
    std::string bytes(line);
    bytes.push_back('\r');
    if (!write_all(fd_, bytes)) return -1;
    if (quickAckAfterSend_) {
        int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }
    return reader_.read_answer(kAnswerTimeoutMs);
}

RawUdpClient::RawUdpClient(int port) : fd_(connect_to(SOCK_DGRAM, port)) {}

RawUdpClient::~RawUdpClient() {
    if (fd_ >= 0) ::close(fd_);
}

long RawUdpClient::round_trip(std::string_view line) {
    if (::send(fd_, line.data(), line.size(), 0) != static_cast<ssize_t>(line.size())) return -1;
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, kAnswerTimeoutMs) <= 0) return -1;
    char reply[1 << 16];
    return ::recv(fd_, reply, sizeof reply, 0);
}

RawPtyClient::RawPtyClient(const std::string& path, const std::string& prompt)
    : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)), reader_(fd_, prompt, false) {
    if (fd_ < 0) return;
    termios line{};
    ::tcgetattr(fd_, &line);
    ::cfmakeraw(&line);
    ::tcsetattr(fd_, TCSANOW, &line);
    ::tcflush(fd_, TCIOFLUSH);
}

RawPtyClient::~RawPtyClient() {
    if (fd_ >= 0) ::close(fd_);
}

long RawPtyClient::round_trip(std::string_view line) {
    std::string bytes(line);
    bytes.push_back('\r');
    if (!write_all(fd_, bytes)) return -1;
    return reader_.read_answer(kAnswerTimeoutMs);
}

}  // namespace mpbench
