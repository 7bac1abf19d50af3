// The board's UDP command endpoint: one datagram per command line, one reply
// datagram. Settings reply "ok" (or an error text), mp_query and mp_tssi reply
// their value, and the output of any other command is kept for the next
// "flash read", which returns it as "data:" + output + BEL.
#pragma once

#include <string>

#include "session_host.h"
#include "transcript.h"

namespace mpboard {

class UdpEndpoint {
  public:
    // `fd`: the bound datagram socket (owned).
    UdpEndpoint(int fd, SessionHost& host, Transcript& transcript);
    ~UdpEndpoint();
    UdpEndpoint(const UdpEndpoint&) = delete;
    UdpEndpoint& operator=(const UdpEndpoint&) = delete;

    // Serves until the simulator stops.
    void run();
    // The reply to one command line (the fault switches are applied by run()).
    std::string reply_to(const std::string& line);

  private:
    int fd_;
    SessionHost& host_;
    Transcript& transcript_;
    std::string kept_output_;
};

// A datagram's command line: trailing CR, LF and NUL removed.
std::string datagram_line(std::string_view datagram);

}  // namespace mpboard
