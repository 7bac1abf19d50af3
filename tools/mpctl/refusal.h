// Telling a board's refusal from an answer: the library takes any telnet or
// serial answer to a setting for success; under --strict mpctl reads it.
#pragma once

#include "board_session.h"

#include <string>
#include <string_view>
#include <vector>

namespace mpctl {

// The texts that make an answer a refusal, compared without regard to case:
// "not permitted", "no such", "invalid", "usage:", "not found", "error".
// --refusal adds more.
const std::vector<std::string>& default_refusals();

// The first of the refusal texts the answer holds, or "".
std::string refusal_in(std::string_view answer, const std::vector<std::string>& refusals);

// What the board printed for the last line: the raw answer without the
// echo of the line and without the prompt (FormatReceiveData).
std::string answer_of(const Exchange& exchange, const std::string& prompt);

}  // namespace mpctl
