// All operation subcommands together.
#include "operation_commands.h"

namespace mpctl {

void add_operation_commands(CLI::App& app, std::optional<Operation>& chosen) {
    add_board_commands(app, chosen);
    add_conversion_commands(app, chosen);
    add_wait_command(app, chosen);
}

}  // namespace mpctl
