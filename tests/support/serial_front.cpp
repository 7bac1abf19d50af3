// A TerminalBoard behind a pseudo-terminal serial port.
#include "support/serial_front.h"

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace mpdll::test {

SerialFront::SerialFront(TerminalBoard& board) : board_(board) {
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
    // The cable passes bytes as they are; the library sets its own end.
    termios settings{};
    ::tcgetattr(slave_, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(slave_, TCSANOW, &settings);
    path_ = name;
    board_.attach([this](std::string_view output) { (void)!::write(master_, output.data(), output.size()); });
    thread_ = std::thread([this] { relay(); });
}

SerialFront::~SerialFront() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    board_.attach(nullptr);
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
}

void SerialFront::relay() {
    std::string line;
    bool afterCr = false;
    char buffer[4096];
    while (!stop_) {
        pollfd entry{master_, POLLIN, 0};
        if (::poll(&entry, 1, 10) <= 0) continue;
        const ssize_t got = ::read(master_, buffer, sizeof buffer);
        if (got <= 0) continue;
        for (ssize_t at = 0; at < got; ++at) {
            const char c = buffer[at];
            if (afterCr && (c == '\n' || c == '\0')) {
                afterCr = false;
                continue;
            }
            afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                board_.type(line);
                line.clear();
            } else {
                line.push_back(c);
            }
        }
    }
}

}  // namespace mpdll::test
