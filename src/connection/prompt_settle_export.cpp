// MpdllSetPromptSettle: how long the lines of an open telnet or serial
// connection wait for the board to settle after the prompt that ends their
// answer, kept with the connection's session.
#include <cstdint>

#include "connection/session_state.h"
#include "connection/transport.h"
#include "mpdll/mpdll.h"

MPDLL_API int32_t MPDLL_CALL MpdllSetPromptSettle(DevContext* dev, int32_t milliseconds) MPDLL_NOEXCEPT {
    if (!dev || milliseconds < 0 || milliseconds > MPDLL_PROMPT_SETTLE_MAX_MS) return MPDLL_E_ARGUMENT;
    // Only a shell's console has prompts to settle after.
    const mpdll::Transport* transport = mpdll::transport_of(*dev);
    if (!transport || !transport->reachesShell) return MPDLL_E_MODE;
    if (!(dev->openFlags & static_cast<std::uint32_t>(transport->mode))) return MPDLL_E_OPEN;
    mpdll::SessionState state = mpdll::session::load(*dev);
    state.promptSettleMs = static_cast<std::uint32_t>(milliseconds);
    return mpdll::session::store(*dev, state) ? MPDLL_OK : MPDLL_E_OPEN;
}
