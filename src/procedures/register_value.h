// The value of an RF register from the four numbers the board reports.
#pragma once

#include <cstdint>

namespace mpdll::procedures {

// ((b1 << 8 | b2) << 8 | b3) << 8 | b4 in unsigned 32-bit arithmetic. The
// numbers are not masked to a byte: one above 255 or below 0 also sets bits
// of the bytes above its own, as the board's tools have always combined them.
std::uint32_t register_value(std::int32_t b1, std::int32_t b2, std::int32_t b3, std::int32_t b4) noexcept;

}  // namespace mpdll::procedures
