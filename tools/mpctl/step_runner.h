// Running one plan step in a board's session, and its verdict: the status,
// the outputs the library wrote, under --strict the board's answer to a
// setting, and the limits of --expect.
#pragma once

#include "board_session.h"
#include "plan_file.h"
#include "step_report.h"

#include <shared_mutex>
#include <string>
#include <vector>

namespace mpctl {

// How steps are judged, and what is kept of them.
struct Judging {
    bool strict = false;                // a refusal in the answer to a setting fails it
    std::vector<std::string> refusals;  // the texts that make an answer a refusal
    bool verbose = false;               // keep each step's exchange
};

// The library keeps one copy of the last exchange for the whole process
// (GetBuffer): a step that reads it after its call runs alone, the others
// run side by side on their boards.
using ExchangeTurns = std::shared_mutex;

// Runs the session steps that the step needs (open, enter), then the step,
// and appends their reports. True when every one passed; when a session
// step failed, the step itself is reported as not run.
bool run_step(BoardSession& session, const PlanStep& step, const Judging& judging, ExchangeTurns& turns,
              std::vector<StepReport>& reports);

}  // namespace mpctl
