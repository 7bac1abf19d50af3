// Discarding what already waits on a socket before a command goes out: a
// late answer to an earlier command, a duplicated datagram or an extra
// prompt must never be taken as the answer to the next one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "mpdll/mpdll.h"

namespace mpdll {
// Reads and drops everything readable at once; scratch is the read buffer.
// Returns how many prompts the dropped text held (the ends of late answers).
std::size_t discard_stream_input(MpSocket socket, std::span<char> scratch, std::string_view prompt) noexcept;
// The same for the input queued on a serial console.
std::size_t discard_serial_input(MpHandle port, std::span<char> scratch, std::string_view prompt) noexcept;
// Drops the datagrams waiting, and those that arrive within waitMs of the
// last one.
void discard_datagrams(MpSocket socket, std::span<char> scratch, int waitMs = 0) noexcept;
}  // namespace mpdll
