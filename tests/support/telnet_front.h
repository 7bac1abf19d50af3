// The telnet server in front of a TerminalBoard, as a board's telnetd is:
// it listens on a loopback port, takes one connection, offers WILL ECHO (for
// a terminal that echoes) and WILL SUPPRESS-GO-AHEAD, answers the client's
// option requests, and relays bytes between the socket and the terminal:
// lines typed by the client go to the terminal, the terminal's output goes
// out with each 0xFF doubled. A test can put its own bytes (option requests,
// NOP) on the wire between the terminal's.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "support/terminal_board.h"

namespace mpdll::test {

class TelnetFront {
  public:
    TelnetFront(TerminalBoard& board, bool offerEcho);
    ~TelnetFront();
    TelnetFront(const TelnetFront&) = delete;
    TelnetFront& operator=(const TelnetFront&) = delete;

    int port() const { return port_; }
    // Bytes put on the wire as they are (no doubling), between the
    // terminal's output.
    void send_raw(std::string_view bytes);
    // Every option command (IAC, verb, option) the client sent, in order.
    std::string options_heard() const;
    // The data bytes the client sent, after telnet decoding.
    std::string data_heard() const;

  private:
    void serve();
    void send_locked(std::string_view bytes);

    TerminalBoard& board_;
    bool offerEcho_;
    int listener_ = -1, client_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::string options_, data_;
    std::thread thread_;
};

}  // namespace mpdll::test
