// The outcome of a setting command from the board's reply: UDP needs the
// lower-case "ok", telnet and serial only a completed exchange, and a record
// of any other mode never counts as set.
#include <gtest/gtest.h>

#include <cstring>

#include "commands/board_exchange.h"

namespace {

using mpdll::commands::Response;
using mpdll::commands::setting_outcome;

TEST(SettingOutcome, ByModeAndReply) {
    struct Case {
        int mode;
        const char* reply;
        std::int32_t status;
    };
    const Case cases[] = {
        {MPDLL_MODE_UDP, "mp_rate ok", MPDLL_OK},
        {MPDLL_MODE_UDP, "mp_rate OK", MPDLL_E_REPLY},
        {MPDLL_MODE_UDP, "", MPDLL_E_REPLY},
        {MPDLL_MODE_TELNET, "", MPDLL_OK},
        {MPDLL_MODE_TELNET, "iwpriv: error", MPDLL_OK},
        {MPDLL_MODE_SERIAL, "anything", MPDLL_OK},
        {0, "ok", MPDLL_E_MODE},
        {3, "ok", MPDLL_E_MODE},
        {5, "", MPDLL_E_MODE},
    };
    for (const Case& c : cases) {
        DevContext dev{};
        dev.mode = c.mode;
        Response reply{};
        std::memcpy(reply.data(), c.reply, std::strlen(c.reply));
        EXPECT_EQ(setting_outcome(dev, reply), c.status) << "mode " << c.mode << ", reply \"" << c.reply << '"';
    }
}

}  // namespace
