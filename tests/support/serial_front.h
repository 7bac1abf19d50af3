// A TerminalBoard as a serial console: a second pseudo-terminal stands for
// the cable and the station's port. The library opens its slave side by
// path as the serial device; what the library writes is typed into the
// board's terminal line by line, and the terminal's output comes back on
// the port as it is.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "support/terminal_board.h"

namespace mpdll::test {

class SerialFront {
  public:
    explicit SerialFront(TerminalBoard& board);
    ~SerialFront();
    SerialFront(const SerialFront&) = delete;
    SerialFront& operator=(const SerialFront&) = delete;

    // The device path the library opens; empty when no pseudo-terminal
    // could be made.
    const std::string& path() const { return path_; }

  private:
    void relay();

    TerminalBoard& board_;
    int master_ = -1, slave_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace mpdll::test
