// Small helpers the subcommand definitions share.
#pragma once

#include "operation.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace mpctl {

// Storage for a subcommand's parsed arguments that lives as long as the
// subcommand's callback.
template <typename T>
std::shared_ptr<T> storage() {
    return std::make_shared<T>();
}

// A subcommand that must be followed by one of its own subcommands.
inline CLI::App* group_command(CLI::App& parent, const std::string& name, const std::string& help) {
    CLI::App* group = parent.add_subcommand(name, help);
    group->require_subcommand(1);
    return group;
}

// Makes the subcommand choose an operation when it is parsed; make_run is
// called then, so it can copy the parsed arguments into the operation.
template <typename MakeRun>
void on_parse(CLI::App* command, std::optional<Operation>& chosen, std::string name, Needs needs, MakeRun make_run) {
    command->callback([&chosen, name = std::move(name), needs, make_run] {
        chosen = Operation{name, needs, make_run()};
    });
}

inline Result status_only(std::int32_t status) { return Result{status, {}}; }

}  // namespace mpctl
