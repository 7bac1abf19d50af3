// Running operations against the board: one subcommand, or a whole plan in
// one session. Both return mpctl's exit code.
#pragma once

#include "connection_options.h"
#include "operation.h"
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
};

int run_single(const Operation& operation, const ConnectionOptions& connection, const OutputOptions& output);

int run_plan(const std::vector<PlanStep>& plan, const std::string& plan_name, const ConnectionOptions& connection,
             const OutputOptions& output, bool keep_going);

}  // namespace mpctl
