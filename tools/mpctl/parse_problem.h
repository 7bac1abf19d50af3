// Why the words of a command line or a plan line name no operation, in words
// a test engineer reads: an unknown operation with the nearest known one, a
// group without its operation, a missing argument with what it is.
#pragma once

#include <string>
#include <vector>

// Only the files that add options include CLI11: every file that includes
// it pays several seconds of compile time.
namespace CLI {
class App;
class ParseError;
}  // namespace CLI

namespace mpctl {

// app has just failed to parse words (in their written order, options
// included) with error.
std::string explain_parse_error(const CLI::App& app, const std::vector<std::string>& words,
                                const CLI::ParseError& error);

// The number of single-character edits that turn one text into the other,
// letters compared without regard to case.
std::size_t edit_distance(const std::string& a, const std::string& b);

}  // namespace mpctl
