// Limits a query's values must keep: `--expect txOk>=95` on the command
// line, `query expect txOk>=95 crcError<=5` or `ther expect 20..60` in a plan.
//   NAME>=N  NAME<=N  NAME>N  NAME<N   bounds
//   NAME=LOW..HIGH                      within, both ends included
//   NAME=V  NAME==V  NAME!=V            equal or not (as numbers when both
//                                       read as numbers, else as texts)
//   NAME=A|B|C                          one of
// NAME may be left out when the query hands back one value. Numbers are
// decimal, or hexadecimal after 0x.
#pragma once

#include "value.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mpctl {

struct Expectation {
    enum class Test { at_least, at_most, above, below, within, equal, not_equal, one_of };
    std::string text;   // the check with its value's name: "thermal=20..60"
    std::string value;  // the value's name
    Test test = Test::equal;
    std::vector<std::string> operands;  // one; two for within; several for one_of
};

struct CheckOutcome {
    std::string text;  // the check, as Expectation::text
    bool passed = false;
    std::string why;  // when it failed: "txOk is 90, not >=95"
};

// Reads one check of an operation that hands back value_names; nullopt with
// error set when it is malformed or names no value of the operation.
std::optional<Expectation> parse_expectation(std::string_view text, const std::vector<std::string>& value_names,
                                             std::string& error);

// Whether the values keep the check, and why not.
CheckOutcome evaluate(const Expectation& expectation, const std::vector<Value>& values);

}  // namespace mpctl
