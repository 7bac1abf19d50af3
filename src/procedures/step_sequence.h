// Runs the steps of a test procedure in order: the first step that returns a
// non-zero status ends the sequence, its status is the result, and nothing
// that earlier steps applied on the board is undone.
#pragma once

#include <cstdint>

namespace mpdll::procedures {

template <typename... Steps>
std::int32_t run_in_order(Steps&&... steps) noexcept {
    std::int32_t status = 0;
    ((status = status == 0 ? steps() : status), ...);
    return status;
}

}  // namespace mpdll::procedures
