// Opening and closing each kind of connection a DevContext describes.
#pragma once

#include <cstdint>

#include "mpdll/mpdll.h"

namespace mpdll {
std::int32_t open_udp(DevContext& dev) noexcept;
std::int32_t open_telnet(DevContext& dev) noexcept;
std::int32_t open_serial(DevContext& dev) noexcept;

// Opens a telnet or serial connection with open; what the library learns
// about it (session_state.h) starts afresh and is dropped when it fails.
std::int32_t open_line_connection(DevContext& dev, std::int32_t (*open)(DevContext&) noexcept) noexcept;

// The last step of every open: marks `mode` open in dev.openFlags, gives the
// connection a moment to settle and returns MPDLL_OK.
std::int32_t finish_open(DevContext& dev, std::int32_t mode) noexcept;

// Closes whichever of the UDP sockets and named objects the record holds
// and puts the invalid value (named objects: nullptr) in their place.
void release_udp_handles(DevContext& dev) noexcept;

// Closes the connection of `mode` when its bit is set in dev.openFlags, puts
// the platform's invalid value into the handles it closed and clears the
// bit; dev.mode is left alone.
void close_connection(DevContext& dev, std::uint32_t mode) noexcept;
}  // namespace mpdll
