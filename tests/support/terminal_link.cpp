// One open record on a TerminalBoard, over telnet or serial.
#include "support/terminal_link.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "support/pseudo_terminal.h"

namespace mpdll::test {

TerminalLink::TerminalLink(Wire wire, bool echo, int answerDelayMs) : wire_(wire), board_(echo, "# ", answerDelayMs) {
    if (wire == Wire::telnet) {
        telnet_ = std::make_unique<TelnetFront>(board_, echo);
        dev_ = std::make_unique<DevContext>();
        std::memset(dev_.get(), 0, sizeof(DevContext));
        dev_->mode = MPDLL_MODE_TELNET;
        const std::string address = "127.0.0.1:" + std::to_string(telnet_->port());
        std::strncpy(dev_->ipText, address.c_str(), sizeof dev_->ipText - 1);
        std::strncpy(dev_->prompt, "# ", sizeof dev_->prompt - 1);
    } else {
        serial_ = std::make_unique<SerialFront>(board_);
        path_ = serial_->path();
        dev_ = serial_record(path_, "# ");
        // The console sits at its prompt before the station opens the port.
        if (board_.started(2000)) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

TerminalLink::~TerminalLink() {
    if (dev_->openFlags != 0) CloseDev(dev_.get(), dev_->openFlags);
    // The fronts go before the board they relay for.
    telnet_.reset();
    serial_.reset();
}

std::int32_t TerminalLink::open() { return OpenDev(dev_.get()); }

}  // namespace mpdll::test
