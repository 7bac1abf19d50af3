// A board's telnet server in front of a TerminalBoard.
#include "support/telnet_front.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace mpdll::test {
namespace {

constexpr unsigned char kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;
constexpr unsigned char kEcho = 1, kSuppressGoAhead = 3;
constexpr int kPollMs = 10;

std::string command(unsigned char verb, unsigned char option) {
    return {static_cast<char>(kIac), static_cast<char>(verb), static_cast<char>(option)};
}

}  // namespace

TelnetFront::TelnetFront(TerminalBoard& board, bool offerEcho) : board_(board), offerEcho_(offerEcho) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 4) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

TelnetFront::~TelnetFront() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    // The terminal's output has nowhere to go from here on.
    board_.attach(nullptr);
    std::lock_guard lock(mutex_);
    if (client_ >= 0) ::close(client_);
    if (listener_ >= 0) ::close(listener_);
}

void TelnetFront::send_locked(std::string_view bytes) {
    if (client_ >= 0) (void)!::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void TelnetFront::send_raw(std::string_view bytes) {
    std::lock_guard lock(mutex_);
    send_locked(bytes);
}

std::string TelnetFront::options_heard() const {
    std::lock_guard lock(mutex_);
    return options_;
}

std::string TelnetFront::data_heard() const {
    std::lock_guard lock(mutex_);
    return data_;
}

void TelnetFront::serve() {
    int client = -1;
    while (!stop_ && client < 0) {
        pollfd entry{listener_, POLLIN, 0};
        if (::poll(&entry, 1, kPollMs) > 0) client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    }
    if (client < 0) return;
    {
        std::lock_guard lock(mutex_);
        client_ = client;
        if (offerEcho_) send_locked(command(kWill, kEcho));
        send_locked(command(kWill, kSuppressGoAhead));
    }
    board_.attach([this](std::string_view output) {
        std::string escaped;
        for (const char c : output) {
            escaped.push_back(c);
            if (static_cast<unsigned char>(c) == kIac) escaped.push_back(c);
        }
        send_raw(escaped);
    });

    enum class State { data, iac, verb, sub, subIac } state = State::data;
    unsigned char verb = 0;
    bool afterCr = false;
    std::string line;
    char buffer[4096];
    while (!stop_) {
        pollfd entry{client, POLLIN, 0};
        if (::poll(&entry, 1, kPollMs) <= 0) continue;
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        for (ssize_t at = 0; at < got; ++at) {
            const auto byte = static_cast<unsigned char>(buffer[at]);
            switch (state) {
                case State::iac:
                    if (byte == kIac) break;  // an escaped 0xFF: data below
                    if (byte >= kWill) {
                        verb = byte;
                        state = State::verb;
                    } else {
                        state = byte == kSb ? State::sub : State::data;
                    }
                    continue;
                case State::verb: {
                    state = State::data;
                    std::lock_guard lock(mutex_);
                    options_ += command(verb, byte);
                    const bool offered = byte == kSuppressGoAhead || (byte == kEcho && offerEcho_);
                    if (verb == kDo && !offered) send_locked(command(kWont, byte));
                    if (verb == kWill) send_locked(command(kDont, byte));
                    continue;
                }
                case State::sub:
                    if (byte == kIac) state = State::subIac;
                    continue;
                case State::subIac:
                    state = byte == kSe ? State::data : State::sub;
                    continue;
                case State::data:
                    if (byte == kIac) {
                        state = State::iac;
                        continue;
                    }
                    break;
            }
            state = State::data;
            {
                std::lock_guard lock(mutex_);
                data_.push_back(static_cast<char>(byte));
            }
            // A line ends with CR (CR NUL and CR LF as one end) or a bare LF.
            if (afterCr && (byte == 0 || byte == '\n')) {
                afterCr = false;
                continue;
            }
            afterCr = byte == '\r';
            if (byte == '\r' || byte == '\n') {
                board_.type(line);
                line.clear();
            } else {
                line.push_back(static_cast<char>(byte));
            }
        }
    }
}

}  // namespace mpdll::test
