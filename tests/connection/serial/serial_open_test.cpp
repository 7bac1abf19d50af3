// Opening the serial console through a stand-in port table: the caller's
// port time-outs are used as soon as any one of them is set, the defaults
// only when all five are zero, and the queues are never below 16 KiB.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "mpdll/mpdll.h"
#include "platform/platform.h"
#include "support/swapped_platform_ops.h"

namespace {

namespace platform = mpdll::platform;

// What the open handed to the port.
struct PortLog {
    static inline bool opened = false;
    static inline std::string name;
    static inline std::uint32_t inQueue = 0, outQueue = 0;
    static inline MpCommTimeouts timeouts{};
    static inline unsigned purged = 0;
    static inline int closes = 0;
};

const MpHandle kPort = reinterpret_cast<MpHandle>(static_cast<std::intptr_t>(0x5150));

const platform::SerialOps kLoggingPort{
    .open =
        [](const char* name) {
            PortLog::name = name;
            return PortLog::opened ? kPort : platform::kInvalidHandle;
        },
    .set_queue_sizes =
        [](MpHandle, std::uint32_t in, std::uint32_t out) {
            PortLog::inQueue = in;
            PortLog::outQueue = out;
            return true;
        },
    .set_timeouts =
        [](MpHandle, const MpCommTimeouts& t) {
            PortLog::timeouts = t;
            return true;
        },
    .set_line = [](MpHandle, const MpDcb&) { return true; },
    .purge =
        [](MpHandle, unsigned mask) {
            PortLog::purged |= mask;
            return true;
        },
    .status =
        [](MpHandle, std::uint32_t* in, std::uint32_t* out) {
            *in = *out = 0;
            return true;
        },
    .wait_input = [](MpHandle, int) {},
    .read = [](MpHandle, char*, int, int) { return 0; },
    .write = [](MpHandle, const char*, int length) { return length; },
    .close = [](MpHandle) { ++PortLog::closes; },
    .last_error = [] { return 0; },
};

class SerialOpen : public testing::Test {
  protected:
    void SetUp() override {
        PortLog::opened = true;
        PortLog::timeouts = MpCommTimeouts{};
        PortLog::purged = 0;
        PortLog::closes = 0;
        swappedOps_.emplace(kLoggingPort);
    }
    std::optional<mpdll::test::SwappedPlatformOps> swappedOps_;

    static std::unique_ptr<DevContext> record() {
        auto dev = std::make_unique<DevContext>();
        std::memset(dev.get(), 0, sizeof(DevContext));
        dev->mode = MPDLL_MODE_SERIAL;
        dev->portName = "/dev/ttyFAKE0";
        return dev;
    }
};

bool same(const MpCommTimeouts& a, const MpCommTimeouts& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(SerialOpen, CallersTimeoutsWhenAnyIsSetDefaultsOnlyWhenAllAreZero) {
    struct Case {
        const char* name;
        MpCommTimeouts given;
        MpCommTimeouts used;
    };
    const Case cases[] = {
        {"all zero", {0, 0, 0, 0, 0}, {100, 0, 0, 100, 500}},   {"read interval", {7, 0, 0, 0, 0}, {7, 0, 0, 0, 0}},
        {"read multiplier", {0, 7, 0, 0, 0}, {0, 7, 0, 0, 0}},  {"read constant", {0, 0, 7, 0, 0}, {0, 0, 7, 0, 0}},
        {"write multiplier", {0, 0, 0, 7, 0}, {0, 0, 0, 7, 0}}, {"write constant", {0, 0, 0, 0, 7}, {0, 0, 0, 0, 7}},
        {"all set", {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        auto dev = record();
        dev->commTimeouts = c.given;
        ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK) << c.name;
        EXPECT_EQ(dev->serialHandle, kPort) << c.name;
        EXPECT_EQ(PortLog::name, "/dev/ttyFAKE0") << c.name;
        EXPECT_TRUE(same(PortLog::timeouts, c.used)) << c.name;
        EXPECT_EQ(PortLog::purged, platform::kPurgeAll) << c.name;
        EXPECT_EQ(CloseDev(dev.get(), MPDLL_MODE_SERIAL), MPDLL_OK) << c.name;
    }
}

TEST_F(SerialOpen, QueuesAreAtLeastSixteenKilobytes) {
    struct Case {
        std::uint32_t in, out;
        std::uint32_t usedIn, usedOut;
    };
    for (const Case& c : {Case{0, 0, 16384, 16384}, Case{16385, 100, 16385, 16384}, Case{1, 65536, 16384, 65536}}) {
        auto dev = record();
        dev->inQueueSize = c.in;
        dev->outQueueSize = c.out;
        ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
        EXPECT_EQ(PortLog::inQueue, c.usedIn) << c.in;
        EXPECT_EQ(PortLog::outQueue, c.usedOut) << c.out;
        EXPECT_EQ(CloseDev(dev.get(), MPDLL_MODE_SERIAL), MPDLL_OK);
    }
}

TEST_F(SerialOpen, APortThatCannotBeOpenedFailsTheOpen) {
    PortLog::opened = false;
    auto dev = record();
    EXPECT_EQ(OpenDev(dev.get()), MPDLL_E_OPEN);
    EXPECT_EQ(dev->openFlags & MPDLL_MODE_SERIAL, 0u);
    EXPECT_EQ(PortLog::timeouts.WriteTotalTimeoutConstant, 0u) << "nothing is set on a port that is not open";
}

}  // namespace
