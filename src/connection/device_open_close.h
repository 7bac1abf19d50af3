// The record-level steps of opening and closing a connection, shared by the
// transports' backends.
#pragma once

#include <cstdint>
#include <string_view>

#include "connection/transport.h"
#include "mpdll/mpdll.h"

namespace mpdll {

// Opens a telnet or serial connection with open; what the library learns
// about it (session_state.h) starts afresh and is dropped when it fails.
std::int32_t open_line_connection(DevContext& dev, std::int32_t (*open)(DevContext&) noexcept) noexcept;

// The last step of every open: marks `mode` open in dev.openFlags, gives the
// connection a moment to settle and returns MPDLL_OK.
std::int32_t finish_open(DevContext& dev, std::int32_t mode) noexcept;

// Closes the transport's connection when its bit is set in dev.openFlags,
// clears the bit and says so in the trace as closed by the export `by`;
// the record's mode is left alone.
void close_connection(DevContext& dev, const Transport& transport, std::string_view by) noexcept;

}  // namespace mpdll
