// The argument text of continuous transmission and the register value the
// board's four numbers make.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "procedures/register_value.h"
#include "procedures/transmit_argument.h"

namespace {

using mpdll::procedures::register_value;
using mpdll::procedures::transmit_argument;

TEST(TransmitArgument, ItemsCommasAndModeWords) {
    struct Case {
        uint32_t txMode;
        int32_t count, time;
        const char* text;
    } cases[] = {
        {0, 0, 0, "pkt,background"},
        {1, 0, 0, "background"},
        {2, 100, 0, "count=100,stone,background"},
        {1, 0, 30, "time=30,background"},
        {3, 5, 10, "time=10,count=5,cs,background"},
        {9, -1, 0, "pkt,background"},
        {0, 0, 30, "time=30,pkt,background"},
        {4, -5, -7, "pkt,background"},
        {100, 0, 0, "pkt,background"},
        {0xFFFFFFFFu, 0, 0, "pkt,background"},  // a negative mode compares unsigned
        {1, 7, 0, "count=7,background"},
        {2, 2147483647, 2147483647, "time=2147483647,count=2147483647,stone,background"},
    };
    for (const auto& c : cases) {
        const auto text = transmit_argument(c.txMode, c.count, c.time);
        EXPECT_TRUE(text.fits());
        EXPECT_EQ(c.text, std::string(text.c_str()))
            << "txMode " << c.txMode << " count " << c.count << " time " << c.time;
    }
}

TEST(RegisterValue, FourNumbersMostSignificantFirstWithoutMasking) {
    struct Case {
        int32_t b1, b2, b3, b4;
        uint32_t value;
    } cases[] = {
        {1, 2, 3, 4, 0x01020304u},
        {255, 255, 255, 255, 0xFFFFFFFFu},
        {0, 0, 256, 0, 0x00010000u},    // 256 in the third number reaches into the second's byte
        {0, 0, 0, -1, 0xFFFFFFFFu},     // a negative number sets every bit above it
        {0x1FF, 0, 0, 0, 0xFF000000u},  // bits shifted out of 32 are lost
        {0, 0, 0x101, 0x02, 0x00010102u},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, register_value(c.b1, c.b2, c.b3, c.b4))
            << c.b1 << " " << c.b2 << " " << c.b3 << " " << c.b4;
    }
}

}  // namespace
