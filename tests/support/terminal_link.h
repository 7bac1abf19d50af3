// One open record on a TerminalBoard: the board, the front the library
// reaches it through (telnet on a loopback port, or a serial console on a
// pseudo-terminal) and the caller's record, closed when the link ends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mpdll/mpdll.h"
#include "support/serial_front.h"
#include "support/telnet_front.h"
#include "support/terminal_board.h"

namespace mpdll::test {

enum class Wire { telnet, serial };

class TerminalLink {
  public:
    TerminalLink(Wire wire, bool echo, int answerDelayMs = 200);
    ~TerminalLink();
    TerminalLink(const TerminalLink&) = delete;
    TerminalLink& operator=(const TerminalLink&) = delete;

    // OpenDev's status; the link closes the record at its end when it opened.
    std::int32_t open();
    DevContext* dev() { return dev_.get(); }
    TerminalBoard& board() { return board_; }
    // The telnet front (nullptr on a serial link).
    TelnetFront* telnet() { return telnet_.get(); }
    Wire wire() const { return wire_; }

  private:
    Wire wire_;
    TerminalBoard board_;
    std::unique_ptr<TelnetFront> telnet_;
    std::unique_ptr<SerialFront> serial_;
    std::string path_;
    std::unique_ptr<DevContext> dev_;
};

}  // namespace mpdll::test
