// What a telnet or serial session needs from the simulator around it.
#pragma once

#include <string>

#include "board.h"
#include "simulator.h"
#include "stop_signal.h"

namespace mpboard {

class SessionHost {
  public:
    virtual ~SessionHost() = default;
    virtual const Options& options() const = 0;
    // The fault switches in force for this connection right now.
    virtual Faults faults_for(int connection) const = 0;
    virtual Board& board() = 0;
    virtual void record_command(const std::string& line) = 0;
    virtual void record_login_answer(const std::string& question, const std::string& answer) = 0;
    virtual const StopSignal& stop() const = 0;
};

}  // namespace mpboard
