// poll()-driven reads and writes on a socket or pseudo-terminal.
#include "channel.h"

#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace mpboard {

Channel::Channel(int fd, Kind kind, std::string name, const StopSignal& stop, Transcript& transcript)
    : fd_(fd), kind_(kind), name_(std::move(name)), stop_(stop), transcript_(transcript) {
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

Channel::~Channel() {
    if (fd_ >= 0) ::close(fd_);
}

Channel::ReadResult Channel::read(int timeout_ms, std::string& out) {
    if (fd_ < 0) return ReadResult::closed;
    pollfd fds[2] = {{fd_, POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
    int ready = ::poll(fds, 2, timeout_ms);
    if (stop_.requested()) return ReadResult::closed;
    if (ready == 0) return ReadResult::timeout;
    if (ready < 0) return errno == EINTR ? ReadResult::timeout : ReadResult::closed;
    char buffer[4096];
    ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return ReadResult::timeout;
    if (n <= 0) return ReadResult::closed;
    out.append(buffer, static_cast<std::size_t>(n));
    transcript_.received(name_, std::string_view(buffer, static_cast<std::size_t>(n)));
    return ReadResult::data;
}

bool Channel::send(std::string_view bytes) {
    if (fd_ < 0) return false;
    if (bytes.empty()) return true;
    transcript_.sent(name_, bytes);
    while (!bytes.empty()) {
        ssize_t n = kind_ == Kind::socket ? ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL)
                                          : ::write(fd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd fds[2] = {{fd_, POLLOUT, 0}, {stop_.fd(), POLLIN, 0}};
        ::poll(fds, 2, -1);
        if (stop_.requested()) return false;
    }
    return true;
}

void Channel::reset() {
    if (kind_ != Kind::socket || fd_ < 0) return;
    transcript_.note(name_, "connection reset");
    // What was written goes out first (an abortive close drops unsent bytes),
    // so the peer sees exactly the bytes before the reset.
    int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    for (int wait = 0; wait < 100; ++wait) {
        int unacknowledged = 0;
        if (::ioctl(fd_, SIOCOUTQ, &unacknowledged) != 0 || unacknowledged == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    linger hard{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace mpboard
