// One byte stream the board talks over: an accepted telnet socket or the
// pseudo-terminal of the serial console. Reads and writes wait in poll() and
// give up as soon as the simulator stops; every piece goes to the transcript.
#pragma once

#include <string>
#include <string_view>

#include "stop_signal.h"
#include "transcript.h"

namespace mpboard {

class Channel {
  public:
    enum class Kind { socket, terminal };
    // Takes ownership of `fd` (made non-blocking here).
    Channel(int fd, Kind kind, std::string name, const StopSignal& stop, Transcript& transcript);
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    enum class ReadResult { data, timeout, closed };
    // Waits up to `timeout_ms` (-1: no limit) and appends what arrived to `out`.
    ReadResult read(int timeout_ms, std::string& out);
    // Writes every byte; false when the peer is gone or the simulator stops.
    bool send(std::string_view bytes);
    // Drops the connection abortively (TCP reset). A terminal cannot be reset.
    void reset();

    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }

  private:
    int fd_;
    Kind kind_;
    std::string name_;
    const StopSignal& stop_;
    Transcript& transcript_;
};

}  // namespace mpboard
