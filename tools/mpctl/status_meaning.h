// The meaning of every status code the library returns, in words a test
// engineer reads on the line. The words come from the library's own status
// list (MPDLL_STATUS_LIST in mpdll.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mpctl {

struct StatusRow {
    std::int32_t status;
    const char* meaning;
};

// Every status the library defines, MPDLL_OK first.
const std::vector<StatusRow>& status_rows();

// "success", "the board's answer failed its test", "socket error 104:
// Connection reset by peer", ...
std::string status_meaning(std::int32_t status);

// "-30004: the board's answer failed its test"; "0: success".
std::string status_text(std::int32_t status);

// One line per status, "  -30004  the board's answer failed its test" (the
// numbers right-aligned), and a last one for the socket error numbers: the
// help's list of statuses.
std::string status_list();

}  // namespace mpctl
