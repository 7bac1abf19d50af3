// The table of transports: each of the three modes selects its own backend
// and every other value selects none; CloseDev walks all three in the order
// UDP, telnet, serial; only the UDP endpoint does without the shell.
#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "connection/transport.h"
#include "mpdll/mpdll.h"

namespace {

struct ModeCase {
    std::int32_t mode;
    const mpdll::Transport* expected;  // nullptr: no transport
    std::string_view name;
    bool reachesShell;
};

TEST(TransportTable, EachModeSelectsItsOwnBackendAndNoOtherValueSelectsOne) {
    const ModeCase cases[] = {
        {MPDLL_MODE_UDP, &mpdll::udpTransport, "udp", false},
        {MPDLL_MODE_TELNET, &mpdll::telnetTransport, "telnet", true},
        {MPDLL_MODE_SERIAL, &mpdll::serialTransport, "serial", true},
        {0, nullptr, {}, false},
        {MPDLL_MODE_UDP | MPDLL_MODE_TELNET, nullptr, {}, false},
        {MPDLL_MODE_TELNET | MPDLL_MODE_SERIAL, nullptr, {}, false},
        {8, nullptr, {}, false},
        {-1, nullptr, {}, false},
    };
    for (const ModeCase& c : cases) {
        const mpdll::Transport* found = mpdll::transport_for(c.mode);
        EXPECT_EQ(found, c.expected) << "mode " << c.mode;
        DevContext dev{};
        dev.mode = c.mode;
        EXPECT_EQ(mpdll::transport_of(dev), c.expected) << "mode " << c.mode;
        if (found == nullptr) continue;
        EXPECT_EQ(found->mode, c.mode);
        EXPECT_EQ(found->name, c.name);
        EXPECT_EQ(found->reachesShell, c.reachesShell) << c.name;
        EXPECT_FALSE(found->firstOpenStep.empty()) << c.name;
        EXPECT_TRUE(found->open && found->close && found->exchange) << c.name;
    }
}

TEST(TransportTable, CloseDevWalksUdpTelnetSerial) {
    const auto all = mpdll::all_transports();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], &mpdll::udpTransport);
    EXPECT_EQ(all[1], &mpdll::telnetTransport);
    EXPECT_EQ(all[2], &mpdll::serialTransport);
}

}  // namespace
