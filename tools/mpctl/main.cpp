// mpctl: type one command and see what the board said. Every operation of
// the library is a subcommand; `mpctl run PLAN` runs a plan file of them in
// one session, on one board or on several at once.
#include "board_address.h"
#include "connection_options.h"
#include "operation_commands.h"
#include "parse_problem.h"
#include "plan_file.h"
#include "refusal.h"
#include "runner.h"
#include "session_record.h"
#include "status_meaning.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// The help's closing text: exit codes, the library's statuses, how
// operations run.
std::string footer() {
    return "Exit codes: 0 every operation succeeded, 1 an operation failed, 2 bad usage.\n"
           "Status codes:\n" +
           mpctl::status_list() +
           "Every board operation opens the connection and, unless --no-enter, puts the\n"
           "radio into test mode first. `mpctl SUBCOMMAND --help` describes each one.";
}

// What the command line asks for besides the connection and the operation.
struct Request {
    mpctl::OutputOptions output;
    mpctl::RunSettings settings;
    std::vector<std::string> refusals;
    std::vector<std::string> serial_numbers;
    std::string plan_name;
    std::vector<std::string> board_addresses;
};

void add_output_options(CLI::App& app, Request& r) {
    app.add_flag("--json", r.output.json, "Print the results as JSON")->group("Output");
    app.add_flag("-v,--verbose", r.output.verbose,
                 "Print each exchange: the line sent and the raw answer; and why an open failed")
        ->group("Output");
    app.add_option("--junit", r.output.junit, "Also write the results as JUnit XML to this file")
        ->type_name("FILE")
        ->group("Output");
    app.add_option("--serial-number", r.serial_numbers,
                   "Tag the board with its serial number in the results; with several --board, once per board in "
                   "their order")
        ->type_name("SN")
        ->group("Output");
    app.add_flag("--strict", r.settings.judging.strict,
                 "Refuse unknown rate and channel names before anything is sent, and fail a setting whose telnet "
                 "or serial answer holds a refusal")
        ->group("Judging");
    app.add_option("--refusal", r.refusals,
                   "One more text that makes an answer a refusal under --strict (besides \"not permitted\", "
                   "\"no such\", \"invalid\", \"usage:\", \"not found\", \"error\")")
        ->type_name("TEXT")
        ->group("Judging");
}

CLI::App* add_run_command(CLI::App& app, Request& r) {
    CLI::App* run = app.add_subcommand(
        "run", "Run a plan file, one operation per line in the words of these subcommands, in one session");
    run->add_option("PLAN", r.plan_name, "The plan file")->required();
    run->add_flag("--keep-going", r.settings.keep_going, "Run the remaining steps after a failed one");
    run->add_option("--board", r.board_addresses,
                    "Run the plan on this board too, at the same time as the others: telnet:HOST[:PORT], "
                    "serial:DEVICE or udp:HOST (the connection options give the rest)")
        ->type_name("BOARD");
    return run;
}

int usage(const std::string& problem) {
    std::cerr << "mpctl: " << problem << "\n";
    return mpctl::exit_usage;
}

// The boards the request names: each --board, or the one connection.
std::optional<std::vector<mpctl::Board>> boards_of(const Request& r, const mpctl::ConnectionOptions& connection,
                                                   std::string& error) {
    const std::size_t count = r.board_addresses.empty() ? 1 : r.board_addresses.size();
    if (!r.serial_numbers.empty() && r.serial_numbers.size() != count) {
        error = "give one --serial-number per board: " + std::to_string(count) + " board(s), " +
                std::to_string(r.serial_numbers.size()) + " serial number(s)";
        return std::nullopt;
    }
    const auto serial_number = [&](std::size_t i) { return r.serial_numbers.empty() ? "" : r.serial_numbers[i]; };
    if (r.board_addresses.empty()) {
        return std::vector<mpctl::Board>{{connection, serial_number(0)}};
    }
    if (!mpctl::describe(connection).empty()) {
        error = "with --board, give every board with --board and none with --telnet, --serial or --udp";
        return std::nullopt;
    }
    std::vector<mpctl::Board> boards;
    for (std::size_t i = 0; i < r.board_addresses.size(); ++i) {
        std::optional<mpctl::ConnectionOptions> options = mpctl::board_connection(r.board_addresses[i], connection, error);
        if (!options) {
            return std::nullopt;
        }
        boards.push_back({std::move(*options), serial_number(i)});
    }
    return boards;
}

// The plan's steps and faulty lines; nullopt when the file cannot be read.
std::optional<std::vector<mpctl::PlanStep>> plan_of(const std::string& plan_name,
                                                    std::vector<mpctl::PlanFault>& faults) {
    std::ifstream file(plan_name);
    if (!file) {
        return std::nullopt;
    }
    return mpctl::read_plan(file, faults);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"mpctl: drive the radio test mode of a wireless router board through mpdll", "mpctl"};
    app.fallthrough();
    app.require_subcommand(1);
    app.footer(footer());

    mpctl::ConnectionOptions connection;
    mpctl::add_connection_options(app, connection);
    Request r;
    add_output_options(app, r);
    std::string record_path;
    app.add_option("--record", record_path, "Write every byte of the session, timed, to FILE (asciicast v2)")
        ->type_name("FILE")
        ->group("Output");
    std::optional<mpctl::Operation> chosen;
    mpctl::add_operation_commands(app, chosen);
    CLI::App* run = add_run_command(app, r);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return usage(mpctl::explain_parse_error(app, std::vector<std::string>(argv + 1, argv + argc), e));
    }

    // The library says why an open failed on standard error when asked to.
    if (r.output.verbose) ::setenv("MPDLL_TRACE", "1", 0);
    const mpctl::SessionRecord record(record_path);

    mpctl::RunRequest request{{}, {}, {}, {}, r.settings, r.output};
    request.settings.judging.verbose = r.output.verbose;
    request.settings.judging.refusals = mpctl::default_refusals();
    request.settings.judging.refusals.insert(request.settings.judging.refusals.end(), r.refusals.begin(),
                                             r.refusals.end());
    std::string error;
    std::optional<std::vector<mpctl::Board>> boards = boards_of(r, connection, error);
    if (!boards) {
        return usage(error);
    }
    request.boards = std::move(*boards);
    if (run->parsed()) {
        std::optional<std::vector<mpctl::PlanStep>> plan = plan_of(r.plan_name, request.plan_faults);
        if (!plan) {
            return usage("cannot read the plan " + r.plan_name);
        }
        request.plan = std::move(*plan);
        request.plan_name = r.plan_name;
    } else {
        request.plan = {{0, chosen->name, *chosen}};
    }
    return mpctl::run(request);
}
