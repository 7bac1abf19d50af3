// The wait step: a pause between two operations, such as the time a tester
// needs to send its frames before the counters are read.
#include "command_building.h"
#include "operation_commands.h"

#include <chrono>
#include <thread>

namespace mpctl {

void add_wait_command(CLI::App& app, std::optional<Operation>& chosen) {
    auto milliseconds = storage<std::uint32_t>();
    CLI::App* wait = app.add_subcommand("wait", "Wait before the next operation (in a plan: between two steps)");
    wait->add_option("MS", *milliseconds, "Milliseconds to wait, at most an hour")
        ->required()
        ->check(CLI::Range(0u, 3600000u));
    on_parse(wait, chosen, "wait", Needs::nothing, [milliseconds] {
        return [ms = *milliseconds](DevContext&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            return status_only(MPDLL_OK);
        };
    });
}

}  // namespace mpctl
