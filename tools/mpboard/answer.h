// What one command line does on the board, as each endpoint presents it.
#pragma once

#include <optional>
#include <string>

namespace mpboard {

struct Answer {
    std::string output;                   // what the shell prints, '\n' line ends
    bool error = false;                   // the command failed; `output` is the error text
    std::string udp_reply;                // the UDP endpoint replies with this instead of "ok" when set
    std::optional<std::string> udp_data;  // what "flash read" returns afterwards, when it differs from `output`
};

}  // namespace mpboard
