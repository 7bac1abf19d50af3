// Plan files: one operation per line, in the same words as the subcommands.
// Blank lines and lines starting with # are skipped; a # word outside quotes
// starts a comment. Words are separated by blanks; "..." and '...' quote,
// and a backslash outside single quotes takes the next character as it is.
// A word `expect` starts the limits of a query (as --expect does).
#pragma once

#include "operation.h"

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mpctl {

struct PlanStep {
    int line = 0;
    std::string text;  // the line as written, without the comment
    Operation operation;
};

// What is wrong with a plan line (line 0: with the plan as a whole).
struct PlanFault {
    int line = 0;
    std::string problem;
};

// Splits one line into words; nullopt with error set on an unclosed quote.
std::optional<std::vector<std::string>> split_words(std::string_view line, std::string& error);

// Reads the whole plan and returns the steps of its sound lines; every
// faulty line adds a fault.
std::vector<PlanStep> read_plan(std::istream& in, std::vector<PlanFault>& faults);

}  // namespace mpctl
