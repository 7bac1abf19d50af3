// Reading a plan file into operations with the subcommands' own parser.
#include "plan_file.h"

#include "operation_commands.h"
#include "parse_problem.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace mpctl {

std::optional<std::vector<std::string>> split_words(std::string_view line, std::string& error) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else if (c == '\\' && quote == '"' && i + 1 < line.size()) {
                word += line[++i];
            } else {
                word += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (in_word) {
                words.push_back(std::move(word));
                word.clear();
                in_word = false;
            }
            continue;
        }
        if (c == '#' && !in_word) {
            break;
        }
        in_word = true;
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
        } else {
            word += c;
        }
    }
    if (quote != 0) {
        error = std::string("unclosed ") + quote;
        return std::nullopt;
    }
    if (in_word) {
        words.push_back(std::move(word));
    }
    return words;
}

namespace {

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        const bool quote = word.empty() || word.find_first_of(" \t#\"'\\") != std::string::npos;
        text += (text.empty() ? "" : " ") + (quote ? "\"" + word + "\"" : word);
    }
    return text;
}

// Parses one line's words as an operation subcommand.
std::optional<Operation> parse_step(const std::vector<std::string>& words, std::string& error) {
    std::optional<Operation> chosen;
    CLI::App app{"plan step", "plan"};
    add_operation_commands(app, chosen);
    app.require_subcommand(1);
    std::vector<std::string> reversed(words.rbegin(), words.rend());  // CLI11 takes the words last first
    std::replace(reversed.begin(), reversed.end(), std::string("expect"), std::string("--expect"));
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        error = "help is no plan step";
        return std::nullopt;
    } catch (const CLI::ParseError& e) {
        error = explain_parse_error(app, words, e);
        return std::nullopt;
    }
    if (!chosen) {
        error = "not an operation";
    }
    return chosen;
}

// The operation of one plan line; nullopt with problem set when the line is
// faulty, and also for a line without words (problem empty).
std::optional<Operation> read_line(const std::string& line, std::vector<std::string>& words, std::string& problem) {
    if (line.find('\0') != std::string::npos) {
        problem = "the line holds a NUL byte";
        return std::nullopt;
    }
    std::optional<std::vector<std::string>> split = split_words(line, problem);
    if (!split || split->empty()) {
        return std::nullopt;
    }
    words = std::move(*split);
    if (words.front() == "run") {
        problem = "a plan cannot run another plan";
        return std::nullopt;
    }
    return parse_step(words, problem);
}

}  // namespace

std::vector<PlanStep> read_plan(std::istream& in, std::vector<PlanFault>& faults) {
    std::vector<PlanStep> steps;
    std::string line;
    const std::size_t faults_before = faults.size();
    for (int number = 1; std::getline(in, line); ++number) {
        std::string problem;
        std::vector<std::string> words;
        std::optional<Operation> operation = read_line(line, words, problem);
        if (!problem.empty()) {
            faults.push_back({number, problem});
        } else if (operation) {
            steps.push_back({number, joined(words), std::move(*operation)});
        }
    }
    if (steps.empty() && faults.size() == faults_before) {
        faults.push_back({0, "the plan holds no operation"});
    }
    return steps;
}

}  // namespace mpctl
