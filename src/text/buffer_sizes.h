// Sizes of the fixed work areas every operation uses.
#pragma once

#include <cstddef>

namespace mpdll {
inline constexpr std::size_t kCommandSize = 2048;    // one command line and its terminator
inline constexpr std::size_t kResponseSize = 16384;  // one response and its terminator
inline constexpr std::size_t kFieldSize = 50;        // chipModel, toolPath, ifName, prompt
}  // namespace mpdll
