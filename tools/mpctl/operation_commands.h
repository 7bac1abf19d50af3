// The operation subcommands: the same words on the command line and in a
// plan file.
#pragma once

#include "operation.h"

#include <optional>

// Only the files that add options include CLI11: every file that includes
// it pays several seconds of compile time.
namespace CLI {
class App;
}

namespace mpctl {

// Adds every operation subcommand to app. After a successful parse, chosen
// holds the operation that was named.
void add_operation_commands(CLI::App& app, std::optional<Operation>& chosen);

// Its parts: operations on the board, board-free conversions, the wait step.
void add_board_commands(CLI::App& app, std::optional<Operation>& chosen);
void add_conversion_commands(CLI::App& app, std::optional<Operation>& chosen);
void add_wait_command(CLI::App& app, std::optional<Operation>& chosen);

}  // namespace mpctl
