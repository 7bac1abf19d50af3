// The boards of `mpctl run PLAN --board telnet:HOST[:PORT] --board
// serial:DEVICE --board udp:HOST`: each one's own connection; the login,
// line settings and board names are the shared options.
#pragma once

#include "connection_options.h"

#include <optional>
#include <string>

namespace mpctl {

// The shared options with the board's own connection; nullopt with error
// set when spec is none of the three forms.
std::optional<ConnectionOptions> board_connection(const std::string& spec, const ConnectionOptions& shared,
                                                  std::string& error);

}  // namespace mpctl
