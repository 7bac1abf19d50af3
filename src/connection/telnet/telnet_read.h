// One read from the telnet socket: wait up to one poll interval for it to
// become readable, then take what is there. TelnetRcv and the login's
// waits read the board through it.
#pragma once

#include <cstdint>
#include <span>

#include "connection/answer/receive_window.h"
#include "mpdll/mpdll.h"

namespace mpdll {

struct TelnetChunk {
    enum class Kind { nothing, data, closed, waitFailed, readFailed };
    Kind kind = Kind::nothing;
    std::size_t length = 0;  // bytes read into the chunk area (data)
};

// Reads at most chunk.size() bytes. With settleFirst, once data is waiting
// the read holds back until the pending count has not changed over 200 ms
// (the quiet wait), or the window closes.
TelnetChunk read_telnet_chunk(MpSocket socket, std::span<char> chunk, bool settleFirst,
                              const ReceiveWindow& window) noexcept;

}  // namespace mpdll
