// A scripted board on the loopback interface for the connection tests.
#include "support/loopback_peer.h"
#include "support/stopwatch.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace connection_test {

void PeerLink::write(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

bool PeerLink::receive_some(int timeoutMs) {
    if (timeoutMs <= 0) return false;
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, timeoutMs) <= 0) return false;
    char chunk[4096];
    ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    pending_.append(chunk, static_cast<size_t>(n));
    return true;
}

std::string PeerLink::take_pending(std::size_t length) {
    std::string got = pending_.substr(0, length);
    pending_.erase(0, length);
    return got;
}

std::string PeerLink::read_until(std::string_view terminator, int timeoutMs) {
    const mpdll::test::Stopwatch clock;
    for (;;) {
        const std::size_t at = pending_.find(terminator);
        if (at != std::string::npos) return take_pending(at + terminator.size());
        if (!receive_some(timeoutMs - static_cast<int>(clock.seconds() * 1000))) return take_pending(pending_.size());
    }
}

bool PeerLink::sees_close(int timeoutMs) {
    const mpdll::test::Stopwatch clock;
    while (clock.seconds() * 1000 < timeoutMs) {
        pollfd entry{fd_, POLLIN, 0};
        if (::poll(&entry, 1, 50) < 0) return false;
        if (!(entry.revents & (POLLIN | POLLHUP))) continue;
        char chunk[256];
        ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) return true;
    }
    return false;
}

void PeerLink::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

ScriptedPeer::ScriptedPeer(std::function<void(PeerLink&)> script, int port) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int reuse = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 1) != 0) {
        ::close(listener_);
        listener_ = -1;
        throw std::runtime_error("cannot listen on loopback");
    }
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, script = std::move(script)] {
        pollfd entry{listener_, POLLIN, 0};
        if (::poll(&entry, 1, 10000) <= 0) return;
        int fd = ::accept(listener_, nullptr, nullptr);
        if (fd < 0) return;
        PeerLink link(fd);
        script(link);
        link.close();
    });
}

ScriptedPeer::~ScriptedPeer() {
    join();
    if (listener_ >= 0) ::close(listener_);
}

std::string ScriptedPeer::address() const { return "127.0.0.1:" + std::to_string(port_); }

void ScriptedPeer::join() {
    if (thread_.joinable()) thread_.join();
}

void serve_shell(PeerLink& link, std::string_view prompt, const std::function<std::string(std::string_view)>& output) {
    for (;;) {
        std::string line = link.read_until("\r", 10000);
        if (line.empty() || line.back() != '\r') return;
        line.pop_back();
        while (!line.empty() && (line.front() == '\n' || line.front() == '\0')) line.erase(0, 1);
        if (line.empty()) {
            link.write("\r\n");
            link.write(prompt);
            continue;
        }
        link.write(line + "\r\n");
        link.write(output(line));
        link.write(prompt);
    }
}

}  // namespace connection_test
