// One terminal session of a replayed board, over telnet or the serial
// console: the recorded login dialog turn by turn, then the shell, which
// answers each line as the recorded board did, with the recorded delays.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "channel.h"
#include "line_editor.h"
#include "replay_script.h"
#include "stop_signal.h"

namespace mpboard {

class ReplaySession {
  public:
    // speed: 1 plays the recorded delays, 2 halves them, 0 drops them.
    ReplaySession(const ReplayScript& script, Channel& channel, double speed, const StopSignal& stop);
    // Serves until the peer leaves or the board stops.
    void run();

  private:
    // Waits until the caller sent this turn's input (a line when the
    // recorded input ends one, else as many bytes) and takes it.
    bool await_turn(const std::string& input);
    bool answer_line(const std::string& line);
    void drop_rest_of_line_end();

    const ReplayScript& script_;
    Channel& channel_;
    double speed_;
    const StopSignal& stop_;
    std::string pending_;  // received, not yet taken
    bool after_cr_ = false;
    LineEditor editor_;
    std::map<std::string, std::size_t> times_seen_;
};

}  // namespace mpboard
