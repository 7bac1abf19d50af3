// Test-mode entry (EnterMP): takes the wireless interface down, switches the
// driver's test mode on, fixes the channel, brings the interface up and
// starts the test mode. A transport that does not reach the board's shell
// (UDP) finds its endpoint already in test mode, and nothing is sent.
#include <array>
#include <string_view>

#include "commands/board_exchange.h"
#include "commands/board_names.h"
#include "connection/transport.h"
#include "procedures/step_sequence.h"
#include "text/buffer_sizes.h"

using mpdll::procedures::run_in_order;

// The responses are not examined: a step succeeds once its exchange completed.
// The first failing step ends the entry with its status; the caller may run
// EnterMP again, every step can be repeated.
MPDLL_API int32_t MPDLL_CALL EnterMP(DevContext* dev) MPDLL_NOEXCEPT {
    if (dev == nullptr) return MPDLL_E_ARGUMENT;
    const mpdll::Transport* transport = mpdll::transport_of(*dev);
    if (transport == nullptr) return MPDLL_E_MODE;
    if (!transport->reachesShell) return MPDLL_OK;
    mpdll::commands::Response response;
    const auto send = [&](std::string_view step) noexcept {
        std::array<char, mpdll::kCommandSize> line{};
        mpdll::commands::put_board_names(*dev, step, line);  // 50-byte names always fit
        return mpdll::commands::exchange(*dev, line.data(), response);
    };
    return run_in_order([&] { return send("ifconfig wlan0 down"); },
                        [&] { return send("iwpriv wlan0 set_mib mp_specific=1"); },
                        [&] { return send("iwpriv wlan0 set_mib channel=1"); },
                        [&] { return send("ifconfig wlan0 up"); }, [&] { return send("iwpriv wlan0 mp_start"); });
}
