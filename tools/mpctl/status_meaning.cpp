// Status codes of the library and what they mean: the library's own status
// list, and the socket error numbers it passes through.
#include "status_meaning.h"

#include <mpdll/mpdll.h>

#include <cstring>

namespace mpctl {

const std::vector<StatusRow>& status_rows() {
#define MPCTL_STATUS_ROW(name, meaning) StatusRow{name, meaning},
    static const std::vector<StatusRow> rows{MPDLL_STATUS_LIST(MPCTL_STATUS_ROW)};
#undef MPCTL_STATUS_ROW
    return rows;
}

std::string status_meaning(std::int32_t status) {
    for (const StatusRow& row : status_rows()) {
        if (row.status == status) return row.meaning;
    }
    if (status > 0) {
        return "socket error " + std::to_string(status) + ": " + std::strerror(status);
    }
    return "unknown status";
}

std::string status_text(std::int32_t status) { return std::to_string(status) + ": " + status_meaning(status); }

std::string status_list() {
    constexpr std::size_t kNumberWidth = 8;  // "  -30000"
    std::string list;
    for (const StatusRow& row : status_rows()) {
        const std::string number = std::to_string(row.status);
        list += std::string(kNumberWidth - number.size(), ' ') + number + "  " + row.meaning + "\n";
    }
    return list + " above 0  the socket error number of a failed telnet send or receive\n";
}

}  // namespace mpctl
