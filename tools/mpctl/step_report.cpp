// Printing step results for people and for programs.
#include "step_report.h"

#include "status_meaning.h"
#include "text_escapes.h"

#include <algorithm>
#include <iomanip>

namespace mpctl {

namespace {

// A text value as a person reads it: quoted when blanks at its ends, control
// bytes or emptiness would otherwise hide what it holds.
std::string human_text(const std::string& text) {
    const bool plain = !text.empty() && text.front() != ' ' && text.back() != ' ' && printable(text) == text;
    return plain ? text : "\"" + printable(text) + "\"";
}

std::string human_value(const Value& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value.data)) {
        return std::to_string(*number);
    }
    if (const auto* text = std::get_if<std::string>(&value.data)) {
        return human_text(*text);
    }
    std::string joined;
    for (std::int32_t entry : std::get<std::vector<std::int32_t>>(value.data)) {
        joined += (joined.empty() ? "" : ",") + std::to_string(entry);
    }
    return joined;
}

// A text as a JSON string: the board's bytes are taken as Latin-1, so every
// byte stays one character whatever the board sent.
Json json_text(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

Json json_value(const Value& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value.data)) {
        return *number;
    }
    if (const auto* text = std::get_if<std::string>(&value.data)) {
        return json_text(*text);
    }
    return std::get<std::vector<std::int32_t>>(value.data);
}

const char* state_word(StepState state) {
    switch (state) {
        case StepState::passed:
            return "passed";
        case StepState::failed:
            return "failed";
        default:
            return "not run";
    }
}

std::string status_column(const StepReport& step) {
    if (step.state == StepState::not_run) {
        return "-";
    }
    return step.result.status == MPDLL_OK ? "ok" : status_text(step.result.status);
}

std::string shortened(const std::string& text, std::size_t width) {
    return text.size() <= width ? text : text.substr(0, width - 3) + "...";
}

struct Counts {
    int passed = 0, failed = 0, not_run = 0;
};

Counts counts_of(const std::vector<StepReport>& steps) {
    Counts counts;
    for (const StepReport& step : steps) {
        (step.state == StepState::passed   ? counts.passed
         : step.state == StepState::failed ? counts.failed
                                           : counts.not_run)++;
    }
    return counts;
}

std::string summary(std::size_t steps, const Counts& c) {
    return std::to_string(steps) + " steps: " + std::to_string(c.passed) + " passed, " + std::to_string(c.failed) +
           " failed, " + std::to_string(c.not_run) + " not run";
}

// The values column: the values, then why the step failed.
std::string values_column(const StepReport& step) {
    const std::string values = values_text(step.result.values);
    if (step.reason.empty()) {
        return values;
    }
    return values + (values.empty() ? "" : "  ") + "<- " + printable(step.reason);
}

// The widths of the board, step and status columns.
struct Widths {
    std::size_t board = 0, step = 4, status = 6;
};

constexpr std::size_t max_step_width = 48;

Widths widths_of(const std::vector<BoardReport>& boards) {
    Widths widths;
    for (const BoardReport& board : boards) {
        widths.board = boards.size() > 1 ? std::max(widths.board, board.name().size()) : 0;
        for (const StepReport& step : board.steps) {
            widths.step = std::max(widths.step, std::min(step.text.size(), max_step_width));
            widths.status = std::max(widths.status, status_column(step).size());
        }
    }
    return widths;
}

void print_row(std::ostream& out, const Widths& widths, const std::string& board, const StepReport& step) {
    if (widths.board > 0) {
        out << std::left << std::setw(static_cast<int>(widths.board) + 2) << board;
    }
    out << std::left << std::setw(6) << (step.line > 0 ? std::to_string(step.line) : "-")
        << std::setw(static_cast<int>(widths.step) + 2) << shortened(step.text, max_step_width)
        << std::setw(static_cast<int>(widths.status) + 2) << status_column(step) << std::setw(9)
        << state_word(step.state) << std::right << std::setw(7)
        << (step.state == StepState::not_run ? std::string("-") : std::to_string(step.duration_ms)) << "  "
        << values_column(step) << "\n";
}

}  // namespace

std::string values_text(const std::vector<Value>& values) {
    std::string out;
    for (const Value& value : values) {
        out += (out.empty() ? "" : " ") + value.name + "=" + human_value(value);
    }
    return out;
}

void print_exchange(std::ostream& out, const Exchange& exchange) {
    out << "  sent:     " << printable(exchange.sent) << "\n"
        << "  received: " << printable(exchange.received) << "\n";
}

void print_human(std::ostream& out, const StepReport& step) {
    out << step.text << ": " << status_text(step.result.status) << " (" << step.duration_ms << " ms)\n";
    for (const Value& value : step.result.values) {
        out << "  " << value.name << ": " << human_value(value) << "\n";
    }
    if (!step.reason.empty()) {
        out << "  verdict: failed: " << printable(step.reason) << "\n";
    } else if (!step.checks.empty()) {
        std::string checks;
        for (const CheckOutcome& check : step.checks) {
            checks += (checks.empty() ? "" : ", ") + check.text;
        }
        out << "  verdict: passed (" << printable(checks) << ")\n";
    }
    if (step.exchange) {
        print_exchange(out, *step.exchange);
    }
}

bool BoardReport::passed() const {
    return std::all_of(steps.begin(), steps.end(),
                       [](const StepReport& step) { return step.state == StepState::passed; });
}

void print_table(std::ostream& out, const std::vector<BoardReport>& boards) {
    const Widths widths = widths_of(boards);
    if (widths.board > 0) {
        out << std::left << std::setw(static_cast<int>(widths.board) + 2) << "board";
    }
    out << std::left << std::setw(6) << "line" << std::setw(static_cast<int>(widths.step) + 2) << "step"
        << std::setw(static_cast<int>(widths.status) + 2) << "status" << std::setw(9) << "verdict" << std::right
        << std::setw(7) << "ms"
        << "  values\n";
    for (const BoardReport& board : boards) {
        for (const StepReport& step : board.steps) {
            print_row(out, widths, board.name(), step);
        }
    }
    if (boards.size() == 1) {
        out << summary(boards.front().steps.size(), counts_of(boards.front().steps)) << "\n";
        return;
    }
    int passed = 0;
    for (const BoardReport& board : boards) {
        passed += board.passed() ? 1 : 0;
        out << board.name() << ": " << (board.passed() ? "passed" : "FAILED") << ", "
            << summary(board.steps.size(), counts_of(board.steps)) << "\n";
    }
    out << boards.size() << " boards: " << passed << " passed, " << boards.size() - passed << " failed\n";
}

namespace {

Json json_step(const StepReport& step) {
    Json out = Json::object();
    if (step.line > 0) {
        out["line"] = step.line;
    }
    out["step"] = json_text(step.text);
    out["state"] = state_word(step.state);
    if (step.state != StepState::not_run) {
        out["status"] = step.result.status;
        out["meaning"] = json_text(status_meaning(step.result.status));
        out["duration_ms"] = step.duration_ms;
        Json& values = out["values"] = Json::object();
        for (const Value& value : step.result.values) {
            values[json_text(value.name).get<std::string>()] = json_value(value);
        }
    }
    if (!step.reason.empty()) {
        out["reason"] = json_text(step.reason);
    }
    if (!step.checks.empty()) {
        Json& checks = out["checks"] = Json::array();
        for (const CheckOutcome& check : step.checks) {
            Json entry{{"check", json_text(check.text)}, {"passed", check.passed}};
            if (!check.passed) {
                entry["why"] = json_text(check.why);
            }
            checks.push_back(std::move(entry));
        }
    }
    if (step.exchange) {
        out["exchange"] = {{"sent", json_text(step.exchange->sent)}, {"received", json_text(step.exchange->received)}};
    }
    return out;
}

// ok, the counts and the steps of one board, into report.
void add_steps(Json& report, const std::vector<StepReport>& steps) {
    const Counts counts = counts_of(steps);
    Json list = Json::array();
    for (const StepReport& step : steps) {
        list.push_back(json_step(step));
    }
    report["ok"] = counts.failed + counts.not_run == 0;
    report["passed"] = counts.passed;
    report["failed"] = counts.failed;
    report["not_run"] = counts.not_run;
    report["steps"] = std::move(list);
}

}  // namespace

Json json_report(const std::vector<BoardReport>& boards, const std::string& plan_name) {
    Json report = Json::object();
    if (!plan_name.empty()) {
        report["plan"] = json_text(plan_name);
    }
    if (boards.size() == 1) {
        if (!boards.front().serial_number.empty()) {
            report["serial_number"] = json_text(boards.front().serial_number);
        }
        add_steps(report, boards.front().steps);
        return report;
    }
    Json list = Json::array();
    Counts total;
    for (const BoardReport& board : boards) {
        Json entry{{"board", json_text(board.connection)}};
        if (!board.serial_number.empty()) {
            entry["serial_number"] = json_text(board.serial_number);
        }
        add_steps(entry, board.steps);
        const Counts counts = counts_of(board.steps);
        total = {total.passed + counts.passed, total.failed + counts.failed, total.not_run + counts.not_run};
        list.push_back(std::move(entry));
    }
    report["ok"] = total.failed + total.not_run == 0;
    report["passed"] = total.passed;
    report["failed"] = total.failed;
    report["not_run"] = total.not_run;
    report["boards"] = std::move(list);
    return report;
}

std::string json_document(const Json& json) {
    constexpr bool ascii_only = true;  // bytes above 0x7e as \u escapes
    return json.dump(-1, ' ', ascii_only);
}

}  // namespace mpctl
