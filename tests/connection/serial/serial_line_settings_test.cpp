// Filling the record's serial line settings from a speed and the header's
// codes (MpdllSetSerialLine): every field of dcb for each parity, stop-bit
// and flow code, the fields an earlier fill set cleared by the next, and
// every argument out of range refused with the record left as it was.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "mpdll/mpdll.h"

namespace {

// Every field of a dcb, named, so that a difference says which one.
std::string fields(const MpDcb& d) {
    std::ostringstream out;
    out << "DCBlength=" << d.DCBlength << " BaudRate=" << d.BaudRate << " fBinary=" << d.fBinary
        << " fParity=" << d.fParity << " fOutxCtsFlow=" << d.fOutxCtsFlow << " fOutxDsrFlow=" << d.fOutxDsrFlow
        << " fDtrControl=" << d.fDtrControl << " fDsrSensitivity=" << d.fDsrSensitivity
        << " fTXContinueOnXoff=" << d.fTXContinueOnXoff << " fOutX=" << d.fOutX << " fInX=" << d.fInX
        << " fErrorChar=" << d.fErrorChar << " fNull=" << d.fNull << " fRtsControl=" << d.fRtsControl
        << " fAbortOnError=" << d.fAbortOnError << " fDummy2=" << d.fDummy2 << " wReserved=" << d.wReserved
        << " XonLim=" << d.XonLim << " XoffLim=" << d.XoffLim << " ByteSize=" << int{d.ByteSize}
        << " Parity=" << int{d.Parity} << " StopBits=" << int{d.StopBits} << " XonChar=" << int{d.XonChar}
        << " XoffChar=" << int{d.XoffChar} << " ErrorChar=" << int{d.ErrorChar} << " EofChar=" << int{d.EofChar}
        << " EvtChar=" << int{d.EvtChar} << " wReserved1=" << d.wReserved1;
    return out.str();
}

struct Line {
    std::uint32_t baud;
    std::int32_t dataBits, parity, stopBits, flow;
};

// The fields a setting gives beyond those every fill sets.
struct Extra {
    std::uint32_t fParity = 0, fOutxCtsFlow = 0, fRtsControl = 0, fOutX = 0, fInX = 0;
    std::uint8_t Parity = 0, StopBits = 0;
    char XonChar = 0, XoffChar = 0;
};

// What a fill of this line must give: the length, the speed, binary mode,
// the byte size and the extra fields; every other field 0.
MpDcb expected_dcb(const Line& line, const Extra& extra) {
    MpDcb d{};
    d.DCBlength = sizeof(MpDcb);
    d.BaudRate = line.baud;
    d.fBinary = 1;
    d.ByteSize = static_cast<std::uint8_t>(line.dataBits);
    d.fParity = extra.fParity;
    d.fOutxCtsFlow = extra.fOutxCtsFlow;
    d.fRtsControl = extra.fRtsControl;
    d.fOutX = extra.fOutX;
    d.fInX = extra.fInX;
    d.Parity = extra.Parity;
    d.StopBits = extra.StopBits;
    d.XonChar = extra.XonChar;
    d.XoffChar = extra.XoffChar;
    return d;
}

std::int32_t set_line(DevContext& dev, const Line& line) {
    return MpdllSetSerialLine(&dev, line.baud, line.dataBits, line.parity, line.stopBits, line.flow);
}

// A record whose every byte is 0xA5, so that a field left alone shows.
std::unique_ptr<DevContext> filled_record() {
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0xA5, sizeof(DevContext));
    return dev;
}

TEST(SerialLineSettings, EachCodeGivesItsFields) {
    struct Case {
        const char* name;
        Line line;
        Extra extra;
    };
    const Case cases[] = {
        {"8N1 no flow", {115200, 8, MPDLL_PARITY_NONE, MPDLL_STOP_BITS_ONE, MPDLL_FLOW_NONE}, {}},
        {"odd parity", {9600, 7, MPDLL_PARITY_ODD, MPDLL_STOP_BITS_ONE, MPDLL_FLOW_NONE}, {.fParity = 1, .Parity = 1}},
        {"even parity",
         {9600, 7, MPDLL_PARITY_EVEN, MPDLL_STOP_BITS_ONE, MPDLL_FLOW_NONE},
         {.fParity = 1, .Parity = 2}},
        {"mark parity",
         {19200, 6, MPDLL_PARITY_MARK, MPDLL_STOP_BITS_ONE, MPDLL_FLOW_NONE},
         {.fParity = 1, .Parity = 3}},
        {"space parity",
         {19200, 5, MPDLL_PARITY_SPACE, MPDLL_STOP_BITS_ONE, MPDLL_FLOW_NONE},
         {.fParity = 1, .Parity = 4}},
        {"one and a half stop bits",
         {57600, 5, MPDLL_PARITY_NONE, MPDLL_STOP_BITS_ONE_AND_HALF, MPDLL_FLOW_NONE},
         {.StopBits = 1}},
        {"two stop bits", {57600, 8, MPDLL_PARITY_NONE, MPDLL_STOP_BITS_TWO, MPDLL_FLOW_NONE}, {.StopBits = 2}},
        {"hardware flow",
         {230400, 8, MPDLL_PARITY_NONE, MPDLL_STOP_BITS_ONE, MPDLL_FLOW_RTSCTS},
         {.fOutxCtsFlow = 1, .fRtsControl = 2}},
        {"software flow",
         {1200, 8, MPDLL_PARITY_NONE, MPDLL_STOP_BITS_ONE, MPDLL_FLOW_XONXOFF},
         {.fOutX = 1, .fInX = 1, .XonChar = 0x11, .XoffChar = 0x13}},
        {"every setting at once",
         {4000000, 7, MPDLL_PARITY_EVEN, MPDLL_STOP_BITS_TWO, MPDLL_FLOW_XONXOFF},
         {.fParity = 1, .fOutX = 1, .fInX = 1, .Parity = 2, .StopBits = 2, .XonChar = 0x11, .XoffChar = 0x13}},
        {"a speed no port knows is still stored", {1, 8, MPDLL_PARITY_NONE, MPDLL_STOP_BITS_ONE, MPDLL_FLOW_NONE}, {}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<DevContext> dev = filled_record();
        std::unique_ptr<DevContext> before = filled_record();
        ASSERT_EQ(set_line(*dev, c.line), MPDLL_OK) << c.name;
        EXPECT_EQ(fields(dev->dcb), fields(expected_dcb(c.line, c.extra))) << c.name;
        // Only dcb changed: the record with dcb put back is the record before.
        dev->dcb = before->dcb;
        EXPECT_EQ(std::memcmp(dev.get(), before.get(), sizeof(DevContext)), 0) << c.name << ": a field beside dcb";
    }
}

TEST(SerialLineSettings, ALaterFillClearsWhatAnEarlierOneSet) {
    DevContext dev{};
    ASSERT_EQ(set_line(dev, {9600, 7, MPDLL_PARITY_MARK, MPDLL_STOP_BITS_TWO, MPDLL_FLOW_XONXOFF}), MPDLL_OK);
    const Line rtscts{115200, 8, MPDLL_PARITY_NONE, MPDLL_STOP_BITS_ONE, MPDLL_FLOW_RTSCTS};
    ASSERT_EQ(set_line(dev, rtscts), MPDLL_OK);
    EXPECT_EQ(fields(dev.dcb), fields(expected_dcb(rtscts, {.fOutxCtsFlow = 1, .fRtsControl = 2})));
}

TEST(SerialLineSettings, AnythingOutOfRangeIsRefusedAndTouchesNothing) {
    const Line good{115200, 8, MPDLL_PARITY_NONE, MPDLL_STOP_BITS_ONE, MPDLL_FLOW_NONE};
    struct Case {
        const char* name;
        Line line;
    };
    auto changed = [&good](auto change) {
        Line line = good;
        change(line);
        return line;
    };
    const Case cases[] = {
        {"baud 0", changed([](Line& l) { l.baud = 0; })},
        {"4 data bits", changed([](Line& l) { l.dataBits = 4; })},
        {"9 data bits", changed([](Line& l) { l.dataBits = 9; })},
        {"negative data bits", changed([](Line& l) { l.dataBits = -8; })},
        {"parity below none", changed([](Line& l) { l.parity = -1; })},
        {"parity past space", changed([](Line& l) { l.parity = MPDLL_PARITY_SPACE + 1; })},
        {"stop bits below one", changed([](Line& l) { l.stopBits = -1; })},
        {"stop bits past two", changed([](Line& l) { l.stopBits = MPDLL_STOP_BITS_TWO + 1; })},
        {"flow below none", changed([](Line& l) { l.flow = -1; })},
        {"flow past xon/xoff", changed([](Line& l) { l.flow = MPDLL_FLOW_XONXOFF + 1; })},
        {"the largest int as a code", changed([](Line& l) { l.parity = INT32_MAX; })},
    };
    for (const Case& c : cases) {
        std::unique_ptr<DevContext> dev = filled_record();
        std::unique_ptr<DevContext> before = filled_record();
        EXPECT_EQ(set_line(*dev, c.line), MPDLL_E_ARGUMENT) << c.name;
        EXPECT_EQ(std::memcmp(dev.get(), before.get(), sizeof(DevContext)), 0) << c.name << ": the record changed";
    }
    EXPECT_EQ(MpdllSetSerialLine(nullptr, 115200, 8, MPDLL_PARITY_NONE, MPDLL_STOP_BITS_ONE, MPDLL_FLOW_NONE),
              MPDLL_E_ARGUMENT);
    // The good line itself passes: the refusals above are the changed field's.
    DevContext dev{};
    EXPECT_EQ(set_line(dev, good), MPDLL_OK);
}

}  // namespace
