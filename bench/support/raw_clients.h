// Hand-written clients that talk to the board with plain system calls: the
// baselines the library is measured against. Each sends the same bytes as
// the library (the line and one CR; UDP: the bare line) and reads the answer
// the simplest way that works.
#pragma once

#include <string>
#include <string_view>

#include "support/prompt_reader.h"

namespace mpbench {

// TCP to the board's telnet server: answers the option negotiation, logs in,
// then writes each line and reads until the prompt.
class RawTelnetClient {
  public:
    // quickAck: ask for an immediate ACK after every read; quickAckAfterSend:
    // and once more right after writing each line.
    RawTelnetClient(int port, bool quickAck, bool quickAckAfterSend = false);
    ~RawTelnetClient();
    RawTelnetClient(const RawTelnetClient&) = delete;
    RawTelnetClient& operator=(const RawTelnetClient&) = delete;

    bool login(std::string_view user, std::string_view password, const std::string& prompt);
    // Bytes of the answer, or -1.
    long round_trip(std::string_view line);
    int last_reads() const { return reader_.reads(); }

  private:
    int fd_;
    bool quickAck_;
    bool quickAckAfterSend_;
    PromptReader reader_;
};

// A datagram socket connected to the board's UDP command endpoint.
class RawUdpClient {
  public:
    explicit RawUdpClient(int port);
    ~RawUdpClient();
    RawUdpClient(const RawUdpClient&) = delete;
    RawUdpClient& operator=(const RawUdpClient&) = delete;

    // Bytes of the reply datagram, or -1.
    long round_trip(std::string_view line);

  private:
    int fd_;
};

// The console's pseudo-terminal opened raw.
class RawPtyClient {
  public:
    RawPtyClient(const std::string& path, const std::string& prompt);
    ~RawPtyClient();
    RawPtyClient(const RawPtyClient&) = delete;
    RawPtyClient& operator=(const RawPtyClient&) = delete;

    bool is_open() const { return fd_ >= 0; }
    long round_trip(std::string_view line);
    int last_reads() const { return reader_.reads(); }

  private:
    int fd_;
    PromptReader reader_;
};

}  // namespace mpbench
