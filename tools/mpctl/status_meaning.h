// The meaning of every status code the library returns, in words a test
// engineer reads on the line.
#pragma once

#include <cstdint>
#include <string>

namespace mpctl {

// "success", "the board's answer failed its test", "socket error 104:
// Connection reset by peer", ...
std::string status_meaning(std::int32_t status);

// "-30004: the board's answer failed its test"; "0: success".
std::string status_text(std::int32_t status);

}  // namespace mpctl
