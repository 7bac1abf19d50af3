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

// Splits one line into words; nullopt with error set on an unclosed quote.
std::optional<std::vector<std::string>> split_words(std::string_view line, std::string& error);

// Reads and checks the whole plan before anything runs. Every faulty line
// adds "NAME:LINE: what is wrong" to errors; the result then is empty.
std::vector<PlanStep> read_plan(std::istream& in, const std::string& name, std::vector<std::string>& errors);

}  // namespace mpctl
