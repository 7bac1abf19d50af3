// Opening each kind of connection a DevContext describes.
#pragma once

#include <cstdint>

#include "mpdll/mpdll.h"

namespace mpdll {
std::int32_t open_udp(DevContext& dev) noexcept;
std::int32_t open_telnet(DevContext& dev) noexcept;
std::int32_t open_serial(DevContext& dev) noexcept;
}  // namespace mpdll
