// The argument text of continuous transmission: items, commas, mode words.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "procedures/transmit_argument.h"

namespace {

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

}  // namespace
