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
        return "not run";
    }
    return step.result.status == MPDLL_OK ? "ok" : status_text(step.result.status);
}

std::string shortened(const std::string& text, std::size_t width) {
    return text.size() <= width ? text : text.substr(0, width - 3) + "...";
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
    if (step.exchange) {
        print_exchange(out, *step.exchange);
    }
}

void print_table(std::ostream& out, const std::vector<StepReport>& steps) {
    constexpr std::size_t max_step_width = 48;
    std::size_t step_width = 4, status_width = 6;
    for (const StepReport& step : steps) {
        step_width = std::max(step_width, std::min(step.text.size(), max_step_width));
        status_width = std::max(status_width, status_column(step).size());
    }
    out << std::left << std::setw(6) << "line" << std::setw(static_cast<int>(step_width) + 2) << "step"
        << std::setw(static_cast<int>(status_width) + 2) << "status" << std::right << std::setw(7) << "ms"
        << "  values\n";
    int passed = 0, failed = 0, not_run = 0;
    for (const StepReport& step : steps) {
        (step.state == StepState::passed ? passed : step.state == StepState::failed ? failed : not_run)++;
        out << std::left << std::setw(6) << (step.line > 0 ? std::to_string(step.line) : "-")
            << std::setw(static_cast<int>(step_width) + 2) << shortened(step.text, max_step_width)
            << std::setw(static_cast<int>(status_width) + 2) << status_column(step) << std::right << std::setw(7)
            << (step.state == StepState::not_run ? std::string("-") : std::to_string(step.duration_ms)) << "  "
            << values_text(step.result.values) << "\n";
    }
    out << steps.size() << " steps: " << passed << " passed, " << failed << " failed, " << not_run << " not run\n";
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
    if (step.exchange) {
        out["exchange"] = {{"sent", json_text(step.exchange->sent)}, {"received", json_text(step.exchange->received)}};
    }
    return out;
}

}  // namespace

Json json_report(const std::vector<StepReport>& steps, const std::string& plan_name) {
    int passed = 0, failed = 0, not_run = 0;
    Json stepList = Json::array();
    for (const StepReport& step : steps) {
        (step.state == StepState::passed ? passed : step.state == StepState::failed ? failed : not_run)++;
        stepList.push_back(json_step(step));
    }
    Json report = Json::object();
    if (!plan_name.empty()) {
        report["plan"] = json_text(plan_name);
    }
    report["ok"] = failed + not_run == 0;
    report["passed"] = passed;
    report["failed"] = failed;
    report["not_run"] = not_run;
    report["steps"] = std::move(stepList);
    return report;
}

std::string json_document(const Json& json) {
    constexpr bool ascii_only = true;  // bytes above 0x7e as \u escapes
    return json.dump(-1, ' ', ascii_only);
}

}  // namespace mpctl
