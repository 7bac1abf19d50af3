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

enum class StepState { passed, failed, not_run };

struct StepReport {
    int line = 0;      // plan line number; 0 for a session step or a single command
    std::string text;  // the operation as written
    StepState state = StepState::passed;
    Result result;
    std::int64_t duration_ms = 0;
    std::optional<Exchange> exchange;  // with -v
};

// "rxOk=10 crcError=0", "value=2A2B", "hexDiff1=\" F21\"".
std::string values_text(const std::vector<Value>& values);

// A single operation: its status line, one line per value, the exchange.
void print_human(std::ostream& out, const StepReport& step);
// The exchange alone, indented (printed while a plan runs).
void print_exchange(std::ostream& out, const Exchange& exchange);
// The results table of a plan and its summary line.
void print_table(std::ostream& out, const std::vector<StepReport>& steps);

// JSON objects keep their keys in the order written.
using Json = nlohmann::ordered_json;

// A run: plan (when one ran), ok, passed, failed, not_run and the steps,
// each with line (plan steps), step, state, and once run status, meaning,
// duration_ms and values; exchange with -v.
Json json_report(const std::vector<StepReport>& steps, const std::string& plan_name);
// One line of compact JSON, every character outside ASCII escaped.
std::string json_document(const Json& json);

}  // namespace mpctl
