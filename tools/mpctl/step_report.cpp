// Printing step results for people and for programs.
#include "step_report.h"

#include "status_meaning.h"
#include "text_escapes.h"

#include <algorithm>
#include <cstdio>
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

std::string json_value(const Value& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value.data)) {
        return std::to_string(*number);
    }
    if (const auto* text = std::get_if<std::string>(&value.data)) {
        return json_string(*text);
    }
    std::string joined = "[";
    for (std::int32_t entry : std::get<std::vector<std::int32_t>>(value.data)) {
        joined += (joined.size() > 1 ? "," : "") + std::to_string(entry);
    }
    return joined + "]";
}

const char* state_word(StepState state) {
    switch (state) {
    case StepState::passed: return "passed";
    case StepState::failed: return "failed";
    default: return "not run";
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

std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);  // bytes as Latin-1
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

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

std::string json_step(const StepReport& step) {
    std::string out = "{";
    if (step.line > 0) {
        out += "\"line\":" + std::to_string(step.line) + ",";
    }
    out += "\"step\":" + json_string(step.text) + ",\"state\":" + json_string(state_word(step.state));
    if (step.state != StepState::not_run) {
        out += ",\"status\":" + std::to_string(step.result.status) +
               ",\"meaning\":" + json_string(status_meaning(step.result.status)) +
               ",\"duration_ms\":" + std::to_string(step.duration_ms);
        out += ",\"values\":{";
        for (std::size_t i = 0; i < step.result.values.size(); ++i) {
            out += (i ? "," : "") + json_string(step.result.values[i].name) + ":" + json_value(step.result.values[i]);
        }
        out += "}";
    }
    if (step.exchange) {
        out += ",\"exchange\":{\"sent\":" + json_string(step.exchange->sent) +
               ",\"received\":" + json_string(step.exchange->received) + "}";
    }
    return out + "}";
}

}  // namespace mpctl
