// A pseudo-terminal console for serial tests.
#include "support/pseudo_terminal.h"

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cstring>

#include "support/stopwatch.h"

namespace mpdll::test {

PseudoTerminal::PseudoTerminal() {
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) path_ = name;
}

PseudoTerminal::~PseudoTerminal() {
    stop_ = true;
    finish();
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
    finish();
    thread_ = std::thread([this, script = std::move(script)] { script(*this); });
}

void PseudoTerminal::finish() {
    if (thread_.joinable()) thread_.join();
}

std::unique_ptr<DevContext> serial_record(const std::string& path, const char* prompt) {
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    dev->mode = MPDLL_MODE_SERIAL;
    dev->portName = path.c_str();
    dev->dcb.DCBlength = sizeof(MpDcb);
    dev->dcb.BaudRate = 115200;
    dev->dcb.ByteSize = 8;
    dev->sendTimeout = 500;
    std::strncpy(dev->prompt, prompt, sizeof dev->prompt - 1);
    return dev;
}

}  // namespace mpdll::test
