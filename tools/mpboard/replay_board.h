// mpboard --replay: the board a recording was made of, served on telnet, UDP
// and the serial console like the simulator (same endpoint options), every
// connection answered from the recording.
#pragma once

#include <memory>
#include <string>

#include "replay_script.h"
#include "simulator.h"

namespace mpboard {

class ReplayBoard {
  public:
    // `endpoints`: where to listen (the addresses, ports, serial and log
    // options; the rest is the recording's). speed: see ReplaySession.
    ReplayBoard(ReplayScript script, const Options& endpoints, double speed);
    ~ReplayBoard();  // stops
    ReplayBoard(const ReplayBoard&) = delete;
    ReplayBoard& operator=(const ReplayBoard&) = delete;

    void start();  // throws std::runtime_error
    void stop();
    int telnet_port() const;
    int udp_port() const;
    std::string serial_path() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace mpboard
