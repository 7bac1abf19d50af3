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

// What a parsed subcommand makes: the call, and the texts checked before
// anything is sent.
struct Prepared {
    std::function<Result(DevContext&)> run;
    ArgumentTexts texts;
};

inline Prepared prepared(Prepared made) { return made; }
inline Prepared prepared(std::function<Result(DevContext&)> run) { return {std::move(run), {}}; }

// Makes the subcommand choose an operation shaped like `shape` when it is
// parsed; make is called then, so it can copy the parsed arguments into the
// operation. It returns the call, or a Prepared.
template <typename Make>
void choose_on_parse(CLI::App* command, std::optional<Operation>& chosen, Operation shape, Make make,
                     std::shared_ptr<std::vector<std::string>> checks = nullptr,
                     std::vector<std::string> value_names = {}) {
    command->callback([&chosen, shape = std::move(shape), make, checks, value_names] {
        Operation operation = shape;
        Prepared made = prepared(make());
        operation.run = std::move(made.run);
        operation.texts = std::move(made.texts);
        for (const std::string& text : checks ? *checks : std::vector<std::string>{}) {
            std::string error;
            std::optional<Expectation> expectation = parse_expectation(text, value_names, error);
            if (!expectation) {
                throw CLI::ValidationError("--expect", error);
            }
            operation.expectations.push_back(std::move(*expectation));
        }
        chosen = std::move(operation);
    });
}

// A board-free operation, the test-mode entry, or one that sends a line of
// the user's own.
template <typename Make>
void on_parse(CLI::App* command, std::optional<Operation>& chosen, std::string name, Needs needs, Make make) {
    choose_on_parse(command, chosen, Operation{std::move(name), needs, Kind::other, {}, {}, {}}, make);
}

// A board operation that sets something: under --strict its answer is
// judged for a refusal.
template <typename Make>
void on_setting(CLI::App* command, std::optional<Operation>& chosen, std::string name, Make make) {
    choose_on_parse(command, chosen, Operation{std::move(name), Needs::board, Kind::setting, {}, {}, {}}, make);
}

// A board operation that reads value_names; --expect checks them.
template <typename Make>
void on_query(CLI::App* command, std::optional<Operation>& chosen, std::string name,
              std::vector<std::string> value_names, Make make) {
    auto checks = storage<std::vector<std::string>>();
    std::string names;
    for (const std::string& value : value_names) {
        names += (names.empty() ? "" : ", ") + value;
    }
    command
        ->add_option("--expect", *checks, "Limits the values must keep (" + names + "): NAME>=N, NAME=LOW..HIGH, ...")
        ->type_name("CHECK ...")
        ->expected(1, -1);
    choose_on_parse(command, chosen, Operation{std::move(name), Needs::board, Kind::query, {}, {}, {}}, make, checks,
                    std::move(value_names));
}

inline Result status_only(std::int32_t status) { return Result{status, {}, {}}; }

}  // namespace mpctl
