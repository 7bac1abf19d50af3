// What one step of a run left to report, and how it is printed: human-readable
// lines and table, or JSON.
#pragma once

#include "board_session.h"
#include "operation.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace mpctl {

// A step's verdict.
enum class StepState { passed, failed, not_run };

struct StepReport {
    int line = 0;      // plan line number; 0 for a session step or a single command
    std::string text;  // the operation as written
    StepState state = StepState::passed;
    Result result;
    std::int64_t duration_ms = 0;
    std::optional<Exchange> exchange;  // with -v
    // Why the step failed although the status is 0: an output the library
    // did not write, a refusal in the board's answer, a limit not kept.
    std::string reason;
    std::vector<CheckOutcome> checks;  // one per --expect
};

// The steps of one board of a run.
struct BoardReport {
    std::string connection;     // "telnet 127.0.0.1:2323"
    std::string serial_number;  // "" when none was given
    std::vector<StepReport> steps;

    // The serial number, else the connection.
    const std::string& name() const { return serial_number.empty() ? connection : serial_number; }
    bool passed() const;
};

// "rxOk=10 crcError=0", "value=2A2B", "hexDiff1=\" F21\"".
std::string values_text(const std::vector<Value>& values);

// A single operation: its status line, one line per value, the exchange.
void print_human(std::ostream& out, const StepReport& step);
// The exchange alone, indented (printed while a plan runs).
void print_exchange(std::ostream& out, const Exchange& exchange);
// The results table of a run over all its boards (a board column when there
// are several), and the summary lines.
void print_table(std::ostream& out, const std::vector<BoardReport>& boards);

// JSON objects keep their keys in the order written.
using Json = nlohmann::ordered_json;

// A run: plan (when one ran), ok, passed, failed, not_run and the steps,
// each with line (plan steps), step, state (the verdict), and once run
// status, meaning, duration_ms and values; reason and checks where they
// apply; exchange with -v. One board's run also has its serial_number when
// given; a run on several boards has boards instead of steps, each with
// board, serial_number, ok, the counts and its steps (the run's counts are
// their sums).
Json json_report(const std::vector<BoardReport>& boards, const std::string& plan_name);
// One line of compact JSON, every character outside ASCII escaped.
std::string json_document(const Json& json);

}  // namespace mpctl
