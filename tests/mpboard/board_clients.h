// Raw clients for the simulator tests: a telnet socket, a UDP socket and the
// serial console's pseudo-terminal, each reading with a deadline.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "simulator.h"

namespace mpboard::testing {

// Reads and writes one file descriptor (socket or terminal).
class ByteClient {
  public:
    ~ByteClient();
    void send(std::string_view bytes) const;
    // Collects until `text` is in what arrived or `ms` pass; returns all of it.
    std::string read_until(std::string_view text, int ms = 2000);
    // Collects everything that arrives within `ms`.
    std::string read_for(int ms);
    // Result of one read() after waiting up to `ms`: bytes, "" on time-out;
    // sets `error` to errno when the read fails.
    std::string read_once(int ms, int* error = nullptr);

  protected:
    int fd_ = -1;
    bool quick_ack_ = false;
};

class TelnetClient : public ByteClient {
  public:
    explicit TelnetClient(int port);
};

class ConsoleClient : public ByteClient {
  public:
    explicit ConsoleClient(const std::string& path);
};

class UdpClient {
  public:
    UdpClient();
    ~UdpClient();
    void send(int port, std::string_view line) const;
    // One datagram, or "" when none arrives within `ms`.
    std::string receive(int ms = 1000) const;

  private:
    int fd_ = -1;
};

// IAC DO ECHO, IAC DO SGA, IAC WONT TTYPE: what a minimal client answers.
std::string negotiation_answer();
// Answers the negotiation and logs in as root/root, up to the first prompt.
void log_in(TelnetClient& client, const Options& options);
// Options for a simulator on ephemeral ports, no serial, short delays.
Options quick_options();

}  // namespace mpboard::testing
