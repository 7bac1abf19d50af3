// The checks an operation's texts pass before anything is sent: every board
// line fits what the library and the transport take, and under --strict
// every rate and channel is one the library knows (it would send MCS7, or
// any number, for the others).
#pragma once

#include "connection_options.h"
#include "operation.h"

#include <string>
#include <vector>

namespace mpctl {

// What is wrong with the operation's texts on this connection; empty when
// nothing is.
std::vector<std::string> argument_problems(const Operation& operation, const ConnectionOptions& connection,
                                           bool strict);

// A rate name or code the library knows: 1M ... 54M, MCS0 ... MCS15 or their
// codes, in any case.
bool known_rate(const std::string& text);

// A channel number of the 2.4 GHz band (1 to 14) or the 5 GHz band (36 to
// 64, 100 to 144, 149 to 177, every fourth), or the centre frequency of one
// in MHz ("2437", "5180MHz").
bool known_channel(const std::string& text);

}  // namespace mpctl
