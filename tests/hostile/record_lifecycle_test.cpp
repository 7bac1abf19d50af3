// The life of a record through failed and repeated opens: a failed OpenDev
// leaves the record closed (bit clear, handles invalid, nothing leaked), an
// open of a record that is still open releases the old connection, and
// CloseDev never reaches a descriptor another record holds by then.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "platform/platform.h"
#include "support/board_under_test.h"
#include "support/loopback_port.h"
#include "support/stopwatch.h"

namespace mpdll::test {
namespace {

constexpr double kConnectBound = 5.0;  // seconds a telnet connect may take

// What each open descriptor of this process names ("socket:[123]", "/dev/pts/4").
std::multiset<std::string> open_targets() {
    std::multiset<std::string> targets;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir) return targets;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        char target[256] = {};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        if (::readlink(link.c_str(), target, sizeof target - 1) > 0) targets.insert(target);
    }
    ::closedir(dir);
    return targets;
}

std::string target_of(MpSocket socket) {
    char target[256] = {};
    const std::string link = "/proc/self/fd/" + std::to_string(socket);
    return ::readlink(link.c_str(), target, sizeof target - 1) > 0 ? target : "";
}

// The descriptors an open record holds, named as open_targets() names them.
std::vector<std::string> held_by(const DevContext& dev, const std::multiset<std::string>& beforeOpen) {
    switch (dev.mode) {
        case MPDLL_MODE_UDP:
            return {target_of(dev.udpSocket), target_of(dev.udpAuxSocket)};
        case MPDLL_MODE_TELNET:
            return {target_of(dev.telnetSocket)};
        default: {
            std::vector<std::string> added;
            const std::multiset<std::string> now = open_targets();
            for (const std::string& target : std::set<std::string>(now.begin(), now.end()))
                if (target.rfind("/dev/pts/", 0) == 0 && now.count(target) > beforeOpen.count(target))
                    added.push_back(target);
            return added;
        }
    }
}

// How many of the targets are open now, beyond what was open before.
std::size_t still_open(const std::vector<std::string>& targets, const std::multiset<std::string>& before) {
    const std::multiset<std::string> now = open_targets();
    std::size_t open = 0;
    for (const std::string& target : targets)
        if (now.count(target) > before.count(target)) ++open;
    return open;
}

bool record_closed(const DevContext& dev, std::int32_t mode) {
    if (dev.openFlags & static_cast<std::uint32_t>(mode)) return false;
    if (mode == MPDLL_MODE_TELNET) return dev.telnetSocket == platform::kInvalidSocket;
    if (mode == MPDLL_MODE_SERIAL) return dev.serialHandle == platform::kInvalidHandle;
    return dev.udpSocket == platform::kInvalidSocket && dev.udpAuxSocket == platform::kInvalidSocket &&
           dev.cmdMutex == nullptr && dev.cmdEvent == nullptr && dev.cmdDoneEvent == nullptr;
}

// Points the record somewhere its open fails; false for UDP, whose open
// cannot fail.
bool aim_nowhere(DevContext& dev, std::string& keep) {
    if (dev.mode == MPDLL_MODE_TELNET) {
        keep = "127.0.0.1:" + std::to_string(unused_loopback_port());
        std::strncpy(dev.ipText, keep.c_str(), sizeof dev.ipText - 1);
        return true;
    }
    if (dev.mode == MPDLL_MODE_SERIAL) {
        keep = "/nonexistent/tty";
        dev.portName = keep.c_str();
        return true;
    }
    return false;
}

struct LifecycleCase {
    const char* name;
    Transport transport;
    bool openFirst;  // the record is open when the failing open comes
};
void PrintTo(const LifecycleCase& c, std::ostream* os) { *os << c.name; }

class RecordLifecycle : public ::testing::TestWithParam<LifecycleCase> {};

TEST_P(RecordLifecycle, AFailedOrRepeatedOpenLeavesNothingLiveAndCloseTouchesOnlyItsOwn) {
    const LifecycleCase& c = GetParam();
    BoardUnderTest board(c.transport);
    const std::int32_t mode = mode_of(c.transport);
    auto a = board.record();
    const std::multiset<std::string> beforeA = open_targets();
    std::vector<std::string> heldByA;
    if (c.openFirst) {
        ASSERT_EQ(OpenDev(a.get()), MPDLL_OK);
        heldByA = held_by(*a, beforeA);
        ASSERT_FALSE(heldByA.empty());
    }

    std::string nowhere;
    const bool canFail = aim_nowhere(*a, nowhere);
    const Stopwatch clock;
    const std::int32_t status = OpenDev(a.get());
    EXPECT_LE(clock.seconds(), kConnectBound + kSchedulingSlackSeconds);
    if (canFail) {
        EXPECT_EQ(status, MPDLL_E_OPEN);
        EXPECT_TRUE(record_closed(*a, mode)) << "openFlags " << a->openFlags;
    } else {
        EXPECT_EQ(status, MPDLL_OK);
    }
    EXPECT_EQ(still_open(heldByA, beforeA), 0u) << "the connection open before the second OpenDev leaked";

    // Another record opens now and may well get the descriptors A had.
    auto b = board.record();
    const std::multiset<std::string> beforeB = open_targets();
    ASSERT_EQ(OpenDev(b.get()), MPDLL_OK);
    const std::vector<std::string> heldByB = held_by(*b, beforeB);
    EXPECT_EQ(CloseDev(a.get(), 7), MPDLL_OK);
    EXPECT_EQ(CloseDev(a.get(), 7), MPDLL_OK);
    EXPECT_TRUE(record_closed(*a, mode));
    EXPECT_EQ(still_open(heldByB, beforeB), heldByB.size()) << "closing A closed what B holds";

    char response[16384];
    EXPECT_EQ(SendCommand(b.get(), "iwpriv wlan0 mp_ther", response, sizeof response, 0, 0), MPDLL_OK);
    EXPECT_NE(std::string(response).find("mp_ther"), std::string::npos) << response;

    EXPECT_EQ(CloseDev(b.get(), board.close_mask()), MPDLL_OK);
    EXPECT_TRUE(record_closed(*b, mode));
    EXPECT_EQ(CloseDev(b.get(), board.close_mask()), MPDLL_OK) << "closing twice";
}

INSTANTIATE_TEST_SUITE_P(Transports, RecordLifecycle,
                         ::testing::Values(LifecycleCase{"TelnetFailsFresh", Transport::telnet, false},
                                           LifecycleCase{"TelnetFailsWhileOpen", Transport::telnet, true},
                                           LifecycleCase{"SerialFailsFresh", Transport::serial, false},
                                           LifecycleCase{"SerialFailsWhileOpen", Transport::serial, true},
                                           LifecycleCase{"UdpOpenedTwice", Transport::udp, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mpdll::test
