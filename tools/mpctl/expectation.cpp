// Reading and evaluating the limits of --expect.
#include "expectation.h"

#include <cmath>
#include <cstdlib>

namespace mpctl {

namespace {

using Test = Expectation::Test;

std::optional<double> number_of(std::string_view text) {
    if (text.empty() || text.front() == ' ') {
        return std::nullopt;
    }
    const std::string copy(text);
    char* end = nullptr;
    const double number = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(number)) {
        return std::nullopt;
    }
    return number;
}

std::vector<std::string> split(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator)) {
        parts.emplace_back(text.substr(0, at));
        text.remove_prefix(at + separator.size());
    }
    parts.emplace_back(text);
    return parts;
}

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// The test an operator and its operand text make; the operands go to out.
Test test_of(std::string_view op, std::string_view body, std::vector<std::string>& out) {
    static const std::pair<std::string_view, Test> ordered[] = {
        {">=", Test::at_least}, {"<=", Test::at_most}, {">", Test::above}, {"<", Test::below}, {"!=", Test::not_equal}};
    for (const auto& [word, test] : ordered) {
        if (op == word) {
            out = {std::string(body)};
            return test;
        }
    }
    if (body.find("..") != std::string_view::npos) {
        out = split(body, "..");
        return Test::within;
    }
    out = split(body, "|");
    return out.size() > 1 ? Test::one_of : Test::equal;
}

// What is wrong with the operands of a test, or "".
std::string operand_problem(Test test, const std::vector<std::string>& operands) {
    if (test == Test::within && operands.size() != 2) {
        return "a range is LOW..HIGH";
    }
    for (const std::string& operand : operands) {
        if (operand.empty()) {
            return "a value to compare with is missing";
        }
        const bool numeric = test != Test::equal && test != Test::not_equal && test != Test::one_of;
        if (numeric && !number_of(operand)) {
            return "\"" + operand + "\" is not a number";
        }
    }
    return {};
}

std::string value_name(std::string_view written, const std::vector<std::string>& value_names, std::string& error) {
    if (written.empty() && value_names.size() == 1) {
        return value_names.front();
    }
    for (const std::string& name : value_names) {
        if (name == written) {
            return name;
        }
    }
    error = (written.empty() ? std::string("name the value to check") : "no value \"" + std::string(written) + "\"") +
            "; this operation reads " + listed(value_names);
    return {};
}

bool same(const std::optional<double>& measured_number, const std::string& measured_text, const std::string& operand) {
    const std::optional<double> number = number_of(operand);
    return measured_number && number ? *measured_number == *number : measured_text == operand;
}

bool keeps(const Expectation& e, const std::optional<double>& number, const std::string& text) {
    const auto bound = [&](std::size_t i) { return *number_of(e.operands[i]); };
    switch (e.test) {
        case Test::at_least:
            return *number >= bound(0);
        case Test::at_most:
            return *number <= bound(0);
        case Test::above:
            return *number > bound(0);
        case Test::below:
            return *number < bound(0);
        case Test::within:
            return *number >= bound(0) && *number <= bound(1);
        case Test::not_equal:
            return !same(number, text, e.operands[0]);
        default:  // equal, one_of
            for (const std::string& operand : e.operands) {
                if (same(number, text, operand)) {
                    return true;
                }
            }
            return false;
    }
}

}  // namespace

std::optional<Expectation> parse_expectation(std::string_view text, const std::vector<std::string>& value_names,
                                             std::string& error) {
    const std::size_t at = text.find_first_of("<>=!");
    const std::string_view written = at == std::string_view::npos ? std::string_view() : text.substr(0, at);
    std::string_view rest = at == std::string_view::npos ? text : text.substr(at);
    std::string_view op = "=";
    if (!rest.empty() && std::string_view("<>=!").find(rest.front()) != std::string_view::npos) {
        op = rest.size() > 1 && rest[1] == '=' ? rest.substr(0, 2) : rest.substr(0, 1);
        rest.remove_prefix(op.size());
    }
    Expectation e;
    e.value = value_name(written, value_names, error);
    if (e.value.empty()) {
        return std::nullopt;
    }
    if (op == "!") {
        error = "\"" + std::string(text) + "\": ! must be followed by =";
        return std::nullopt;
    }
    e.test = test_of(op, rest, e.operands);
    if (std::string problem = operand_problem(e.test, e.operands); !problem.empty()) {
        error = "\"" + std::string(text) + "\": " + problem;
        return std::nullopt;
    }
    e.text = e.value + std::string(op) + std::string(rest);
    return e;
}

CheckOutcome evaluate(const Expectation& expectation, const std::vector<Value>& values) {
    CheckOutcome outcome{expectation.text, false, {}};
    const Value* value = nullptr;
    for (const Value& candidate : values) {
        if (candidate.name == expectation.value) {
            value = &candidate;
        }
    }
    if (value == nullptr) {
        outcome.why = "no " + expectation.value + " was read";
        return outcome;
    }
    std::optional<double> number;
    std::string text;
    if (const auto* integer = std::get_if<std::int64_t>(&value->data)) {
        number = static_cast<double>(*integer);
        text = std::to_string(*integer);
    } else if (const auto* string = std::get_if<std::string>(&value->data)) {
        number = number_of(*string);
        text = *string;
    } else {
        outcome.why = expectation.value + " is a table, not one value";
        return outcome;
    }
    const bool ordered =
        expectation.test != Test::equal && expectation.test != Test::not_equal && expectation.test != Test::one_of;
    if (ordered && !number) {
        outcome.why = expectation.value + " is \"" + text + "\", not a number";
        return outcome;
    }
    outcome.passed = keeps(expectation, number, text);
    if (!outcome.passed) {
        std::string_view limit = std::string_view(expectation.text).substr(expectation.value.size());
        if (limit.size() > 1 && limit[0] == '=' && limit[1] != '=') {
            limit.remove_prefix(1);  // "thermal is 75, not 20..60"
        }
        outcome.why = expectation.value + " is " + text + ", not " + std::string(limit);
    }
    return outcome;
}

}  // namespace mpctl
