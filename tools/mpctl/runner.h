// Running what was asked for against the boards: one operation, or a whole
// plan in one session per board, on one board or several at once. Returns
// mpctl's exit code.
#pragma once

#include "board_run.h"
#include "plan_file.h"

#include <string>
#include <vector>

namespace mpctl {

constexpr int exit_ok = 0;
constexpr int exit_failed = 1;
constexpr int exit_usage = 2;

struct OutputOptions {
    bool json = false;
    bool verbose = false;  // each exchange: the line sent and the raw answer
    std::string junit;     // write a JUnit XML report here, when set
};

struct RunRequest {
    std::vector<PlanStep> plan;          // a single operation is a plan of one step (line 0)
    std::string plan_name;               // "" for a single operation
    std::vector<PlanFault> plan_faults;  // the plan's faulty lines
    std::vector<Board> boards;
    RunSettings settings;
    OutputOptions output;
};

// Checks every step against every board first: any problem, and every
// faulty plan line, is printed (in the order of the plan's lines) and ends
// the run with exit_usage before anything is sent.
int run(const RunRequest& request);

}  // namespace mpctl
