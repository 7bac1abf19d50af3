// Running a plan on one board in one session, or on several boards at once,
// each on a thread of its own with a session of its own.
#pragma once

#include "connection_options.h"
#include "plan_file.h"
#include "step_report.h"
#include "step_runner.h"

#include <cstddef>
#include <string>
#include <vector>

namespace mpctl {

// A board a run reaches, tagged with its serial number.
struct Board {
    ConnectionOptions connection;
    std::string serial_number;
};

struct RunSettings {
    Judging judging;
    bool keep_going = false;  // run the remaining steps after a failed one
};

// Told of a run's progress, from the boards' threads.
class RunMonitor {
  public:
    virtual ~RunMonitor() = default;
    // Step index (from 0) of the plan starts on the board.
    virtual void step_started(std::size_t board, std::size_t index, const PlanStep& step) = 0;
    // A step ended and left these reports (its session steps first).
    virtual void step_ended(std::size_t board, const std::vector<StepReport>& reports) = 0;
    virtual void board_ended(std::size_t board, bool passed) = 0;
};

// Runs the plan on every board, side by side when there are several, and
// returns each board's reports in the order of boards. Every board's
// options must have passed connection_problem().
std::vector<BoardReport> run_on_boards(const std::vector<PlanStep>& plan, const std::vector<Board>& boards,
                                       const RunSettings& settings, RunMonitor& monitor);

}  // namespace mpctl
