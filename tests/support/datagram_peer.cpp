// A UDP peer on a loopback address.
#include "support/datagram_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace mpdll::test {
namespace {
sockaddr_in address_of(const std::string& address, std::uint16_t port) {
    sockaddr_in native{};
    native.sin_family = AF_INET;
    native.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &native.sin_addr);
    return native;
}
}  // namespace

DatagramPeer::DatagramPeer(const std::string& address, std::uint16_t port)
    : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in native = address_of(address, port);
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&native), sizeof native) == 0;
    socklen_t size = sizeof native;
    if (bound_ && ::getsockname(fd_, reinterpret_cast<sockaddr*>(&native), &size) == 0) port_ = ntohs(native.sin_port);
}

DatagramPeer::~DatagramPeer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(fd_);
}

void DatagramPeer::answer(std::function<DatagramReply(const std::string&)> reply, const DatagramPeer* replyFrom) {
    const int sender = replyFrom ? replyFrom->fd_ : fd_;
    thread_ = std::thread([this, sender, reply = std::move(reply)] {
        while (!stop_) {
            pollfd entry{fd_, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0) continue;
            char data[2048];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(fd_, data, sizeof data, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (n < 0) continue;
            ++lines_;
            const DatagramReply answer = reply(std::string(data, static_cast<std::size_t>(n)));
            const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(answer.delayMs);
            while (!stop_ && std::chrono::steady_clock::now() < due)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            for (const std::string& datagram : answer.datagrams)
                if (!stop_)
                    ::sendto(sender, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
        }
    });
}

void DatagramPeer::send_to(const std::string& address, std::uint16_t port, const std::string& text) const {
    const sockaddr_in native = address_of(address, port);
    ::sendto(fd_, text.data(), text.size(), 0, reinterpret_cast<const sockaddr*>(&native), sizeof native);
}

}  // namespace mpdll::test
