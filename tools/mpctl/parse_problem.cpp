// Explaining a failed parse of an operation's words.
#include "parse_problem.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <numeric>

namespace mpctl {

namespace {

std::vector<const CLI::App*> operations_of(const CLI::App& at) {
    return at.get_subcommands([](const CLI::App* sub) { return !sub->get_name().empty(); });
}

const CLI::App* operation_named(const CLI::App& at, const std::string& word) {
    for (const CLI::App* sub : operations_of(at)) {
        if (sub->get_name() == word) {
            return sub;
        }
    }
    return nullptr;
}

// Whether the option word takes the next word as its value.
bool takes_value(const CLI::App& at, const std::string& word) {
    if (word.find('=') != std::string::npos) {
        return false;
    }
    for (const CLI::App* app = &at; app != nullptr; app = app->get_parent()) {
        if (const CLI::Option* option = app->get_option_no_throw(word)) {
            return option->get_items_expected_min() > 0;
        }
    }
    return false;
}

std::string names_of(const CLI::App& at) {
    std::string names;
    for (const CLI::App* sub : operations_of(at)) {
        names += (names.empty() ? "" : ", ") + sub->get_name();
    }
    return names;
}

std::string nearest_operation(const CLI::App& at, const std::string& word) {
    const std::vector<const CLI::App*> subs = operations_of(at);
    const auto nearest = std::min_element(subs.begin(), subs.end(), [&](const CLI::App* a, const CLI::App* b) {
        return edit_distance(word, a->get_name()) < edit_distance(word, b->get_name());
    });
    return nearest == subs.end() ? std::string() : (*nearest)->get_name();
}

// Walks the words down the operations; names the first word that is no
// operation where one must stand, or the group left without one.
std::string unknown_operation(const CLI::App& app, const std::vector<std::string>& words) {
    const CLI::App* at = &app;
    std::string path;
    for (std::size_t i = 0; i < words.size() && !operations_of(*at).empty(); ++i) {
        if (words[i].size() > 1 && words[i][0] == '-') {
            i += takes_value(*at, words[i]) ? 1 : 0;
            continue;
        }
        const CLI::App* next = operation_named(*at, words[i]);
        if (next == nullptr) {
            return "unknown operation \"" + path + words[i] + "\"; the nearest is \"" + path +
                   nearest_operation(*at, words[i]) + "\"";
        }
        at = next;
        path += words[i] + " ";
    }
    if (!operations_of(*at).empty() && at->get_require_subcommand_min() > 0) {
        return path.empty() ? "no operation given; the operations are " + names_of(*at)
                            : "\"" + path.substr(0, path.size() - 1) + "\" needs one of " + names_of(*at);
    }
    return {};
}

// The required argument the deepest operation parsed is missing, with what
// it is.
std::string missing_argument(const CLI::App& app) {
    const CLI::App* at = &app;
    std::string path;
    while (!at->get_subcommands().empty()) {
        at = at->get_subcommands().front();
        path += (path.empty() ? "" : " ") + at->get_name();
    }
    for (const CLI::Option* option : at->get_options()) {
        if (option->get_required() && option->count() == 0) {
            return path + ": " + option->get_name() + " is missing (" + option->get_description() + ")";
        }
    }
    return {};
}

}  // namespace

std::size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            const std::size_t substituted = diagonal + (same ? 0 : 1);
            diagonal = row[j];
            row[j] = std::min({substituted, row[j] + 1, row[j - 1] + 1});
        }
    }
    return row[b.size()];
}

std::string explain_parse_error(const CLI::App& app, const std::vector<std::string>& words,
                                const CLI::ParseError& error) {
    if (std::string unknown = unknown_operation(app, words); !unknown.empty()) {
        return unknown;
    }
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        if (std::string missing = missing_argument(app); !missing.empty()) {
            return missing;
        }
    }
    return error.what();
}

}  // namespace mpctl
