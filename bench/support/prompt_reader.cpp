// Raw receive loop: poll, read, append, check the tail for the prompt.
#include "support/prompt_reader.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace mpbench {

PromptReader::PromptReader(int fd, std::string prompt, bool quickAck)
    : fd_(fd), prompt_(std::move(prompt)), quickAck_(quickAck) {
    text_.reserve(1 << 16);
}

bool PromptReader::read_some(int timeoutMs) {
    pollfd entry{fd_, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) return false;
    char chunk[1 << 16];
    ssize_t n;
    do {
        n = ::read(fd_, chunk, sizeof chunk);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    ++reads_;
    if (quickAck_) {
        int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }
    text_.append(chunk, static_cast<std::size_t>(n));
    return true;
}

long PromptReader::read_answer(int timeoutMs) {
    text_.clear();
    reads_ = 0;
    while (!std::string_view(text_).ends_with(prompt_)) {
        if (!read_some(timeoutMs)) return -1;
    }
    return static_cast<long>(text_.size());
}

long PromptReader::read_until(std::string_view needle, int timeoutMs) {
    text_.clear();
    reads_ = 0;
    while (text_.find(needle) == std::string::npos) {
        if (!read_some(timeoutMs)) return -1;
    }
    return static_cast<long>(text_.size());
}

bool write_all(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace mpbench
