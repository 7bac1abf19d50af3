// The line end of a login or command line: one CR appended in its buffer.
#include "connection/line_end.h"

#include <cstring>

namespace mpdll {

char* append_line_end(std::span<char, kResponseSize> line) noexcept {
    const std::size_t length = strnlen(line.data(), line.size());
    if (length + 2 > line.size()) return nullptr;
    line[length] = '\r';
    line[length + 1] = '\0';
    return line.data();
}

}  // namespace mpdll
