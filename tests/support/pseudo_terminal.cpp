// A pseudo-terminal console for serial tests.
#include "support/pseudo_terminal.h"

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include "support/stopwatch.h"

namespace mpdll::test {

PseudoTerminal::PseudoTerminal() {
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) path_ = name;
}

PseudoTerminal::~PseudoTerminal() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
}

std::string PseudoTerminal::read_line(int timeoutMs) {
    std::string line;
    const Stopwatch clock;
    while (!stop_ && clock.seconds() * 1000 < timeoutMs) {
        pollfd entry{master_, POLLIN, 0};
        if (::poll(&entry, 1, 20) <= 0) continue;
        char c;
        if (::read(master_, &c, 1) != 1) break;
        line.push_back(c);
        if (c == '\r') break;
    }
    return line;
}

void PseudoTerminal::write(const std::string& text) { (void)!::write(master_, text.data(), text.size()); }

void PseudoTerminal::play(std::function<void(PseudoTerminal&)> script) {
    thread_ = std::thread([this, script = std::move(script)] { script(*this); });
}

}  // namespace mpdll::test
