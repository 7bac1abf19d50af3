// What the library knows about one open telnet or serial connection beyond
// its record: whether the board echoes its lines (the telnet ECHO option
// was agreed, or an echo was seen), how many prompts it still owes lines
// whose answers did not come in time, the terminal query or colour change
// its line editor puts right behind each real prompt (text that only looks
// like the prompt has none), the telnet commands cut off at the end of
// the last read, and how long a line's receive waits for the board to
// settle after its prompt (MpdllSetPromptSettle; 0 when the connection
// opens). It begins when the connection opens and ends when
// it closes; the record's layout belongs to the caller and has no room for
// it, so it is kept beside the record, for any number of records.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "connection/telnet/telnet_negotiation.h"
#include "mpdll/mpdll.h"

namespace mpdll {

struct SessionState {
    bool boardEchoes = false;
    std::size_t owedPrompts = 0;
    std::array<char, 16> promptTrailer{};
    std::size_t promptTrailerLength = 0;
    telnet::Stream stream;
    std::uint32_t promptSettleMs = 0;

    std::string_view prompt_trailer() const noexcept { return {promptTrailer.data(), promptTrailerLength}; }
    // Keeps what followed the prompt that ended an answer (nothing is kept
    // when it does not fit).
    void learn_prompt_trailer(std::string_view trailer) noexcept;
};

namespace session {
// A connection of the record opens: its knowledge starts afresh. The only
// call that may take memory.
void begin(const DevContext& dev) noexcept;
// The connection closes: its knowledge goes.
void end(const DevContext& dev) noexcept;
// The record's state (a fresh one for a record not opened by OpenDev).
SessionState load(const DevContext& dev) noexcept;
// Keeps state for the record while its connection is open; false when
// the record has none open (nothing is kept).
bool store(const DevContext& dev, const SessionState& state) noexcept;
}  // namespace session

}  // namespace mpdll
