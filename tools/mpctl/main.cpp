// mpctl: type one command and see what the board said. Every operation of
// the library is a subcommand; `mpctl run PLAN` runs a plan file of them in
// one session.
#include "connection_options.h"
#include "operation_commands.h"
#include "plan_file.h"
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

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"mpctl: drive the radio test mode of a wireless router board through mpdll", "mpctl"};
    app.fallthrough();
    app.require_subcommand(1);
    app.footer(footer());

    mpctl::ConnectionOptions connection;
    mpctl::add_connection_options(app, connection);
    mpctl::OutputOptions output;
    app.add_flag("--json", output.json, "Print the results as JSON")->group("Output");
    app.add_flag("-v,--verbose", output.verbose,
                 "Print each exchange: the line sent and the raw answer; and why an open failed")
        ->group("Output");
    std::string record_path;
    app.add_option("--record", record_path,
                   "Write every byte of the session, timed, to FILE (asciicast v2)")
        ->type_name("FILE")
        ->group("Output");

    std::optional<mpctl::Operation> chosen;
    mpctl::add_operation_commands(app, chosen);

    std::string plan_name;
    bool keep_going = false;
    CLI::App* run = app.add_subcommand(
        "run", "Run a plan file, one operation per line in the words of these subcommands, in one session");
    run->add_option("PLAN", plan_name, "The plan file")->required();
    run->add_flag("--keep-going", keep_going, "Run the remaining steps after a failed one");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? mpctl::exit_ok : mpctl::exit_usage;
    }

    // The library says why an open failed on standard error when asked to.
    if (output.verbose) ::setenv("MPDLL_TRACE", "1", 0);
    const mpctl::SessionRecord record(record_path);

    if (run->parsed()) {
        std::ifstream file(plan_name);
        if (!file) {
            std::cerr << "mpctl: cannot read the plan " << plan_name << "\n";
            return mpctl::exit_usage;
        }
        std::string error;
        const std::vector<mpctl::PlanStep> plan = mpctl::read_plan(file, plan_name, error);
        if (!error.empty()) {
            std::cerr << "mpctl: " << error << "\n";
            return mpctl::exit_usage;
        }
        return mpctl::run_plan(plan, plan_name, connection, output, keep_going);
    }
    return mpctl::run_single(*chosen, connection, output);
}
