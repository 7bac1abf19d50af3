// The caller's DCB-shaped line settings in termios terms.
#include <gtest/gtest.h>

#include <termios.h>

#include <vector>

#include "mpdll/mpdll.h"
#include "platform/posix/serial_line.h"

namespace {

struct LineCase {
    const char* name;
    MpDcb dcb;
    bool accepted;
    speed_t speed;
    tcflag_t cflagSet, cflagClear, iflagSet, iflagClear;
};

MpDcb line(uint32_t baud, uint8_t bits, uint8_t parity, uint8_t stop) {
    MpDcb dcb{};
    dcb.BaudRate = baud;
    dcb.ByteSize = bits;
    dcb.Parity = parity;
    dcb.StopBits = stop;
    return dcb;
}

MpDcb with(MpDcb dcb, void (*change)(MpDcb&)) {
    change(dcb);
    return dcb;
}

TEST(SerialLine, DcbFieldsMapOntoTermios) {
    const std::vector<LineCase> cases = {
        {"115200 8N1", line(115200, 8, 0, 0), true, B115200, CS8, PARENB | CSTOPB | CRTSCTS, 0, IXON | IXOFF | INPCK},
        {"9600 7E2", line(9600, 7, 2, 2), true, B9600, CS7 | PARENB | CSTOPB, PARODD, 0, 0},
        {"57600 8O1", line(57600, 8, 1, 0), true, B57600, CS8 | PARENB | PARODD, CSTOPB, 0, 0},
        {"checked parity", with(line(19200, 8, 2, 0), [](MpDcb& d) { d.fParity = 1; }), true, B19200, PARENB, 0, INPCK,
         0},
        {"CTS flow", with(line(38400, 8, 0, 0), [](MpDcb& d) { d.fOutxCtsFlow = 1; }), true, B38400, CRTSCTS, 0, 0, 0},
        {"RTS handshake", with(line(38400, 8, 0, 0), [](MpDcb& d) { d.fRtsControl = 2; }), true, B38400, CRTSCTS, 0, 0,
         0},
        {"XON/XOFF", with(line(4800, 8, 0, 0), [](MpDcb& d) { d.fOutX = d.fInX = 1; }), true, B4800, 0, CRTSCTS,
         IXON | IXOFF, 0},
        {"5 bits", line(1200, 5, 0, 0), true, B1200, CS5, PARENB | CSTOPB, 0, 0},
        {"6 bits", line(2400, 6, 0, 0), true, B2400, CS6, PARENB | CSTOPB, 0, 0},
        {"mark parity", line(9600, 7, 3, 0), true, B9600, CS7 | PARENB | PARODD | CMSPAR, CSTOPB, 0, 0},
        {"space parity", line(9600, 7, 4, 0), true, B9600, CS7 | PARENB | CMSPAR, PARODD | CSTOPB, 0, 0},
        {"unknown parity is none", line(9600, 8, 9, 0), true, B9600, CS8, PARENB | PARODD | CMSPAR, 0, 0},
        {"parity check asked without parity", with(line(9600, 8, 0, 0), [](MpDcb& d) { d.fParity = 1; }), true, B9600,
         CS8, PARENB, 0, INPCK},
        {"unknown baud rate", line(12345, 8, 0, 0), false, 0, 0, 0, 0, 0},
        {"byte size 9", line(9600, 9, 0, 0), false, 0, 0, 0, 0, 0},
    };
    for (const LineCase& c : cases) {
        termios settings{};
        settings.c_cflag = CSTOPB | PARENB | PARODD | CRTSCTS;  // left over from an earlier use
        settings.c_iflag = IXON | IXOFF | INPCK;
        ASSERT_EQ(mpdll::platform::apply_line_settings(c.dcb, &settings), c.accepted) << c.name;
        if (!c.accepted) continue;
        EXPECT_EQ(cfgetospeed(&settings), c.speed) << c.name;
        EXPECT_EQ(settings.c_cflag & c.cflagSet, c.cflagSet) << c.name;
        EXPECT_EQ(settings.c_cflag & c.cflagClear, 0u) << c.name;
        EXPECT_EQ(settings.c_iflag & c.iflagSet, c.iflagSet) << c.name;
        EXPECT_EQ(settings.c_iflag & c.iflagClear, 0u) << c.name;
        EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD)) << c.name;
    }
}

// The flow-control characters are the caller's when set, the terminal's own
// when left zero.
TEST(SerialLine, FlowControlCharactersOnlyWhenSet) {
    struct Case {
        const char* name;
        char xon, xoff;
        cc_t start, stop;
    };
    const Case cases[] = {
        {"both set", 0x11, 0x13, 0x11, 0x13},
        {"other characters", 0x01, 0x02, 0x01, 0x02},
        {"left zero", 0, 0, 0x55, 0x66},
        {"only XON", 0x05, 0, 0x05, 0x66},
    };
    for (const Case& c : cases) {
        termios settings{};
        settings.c_cc[VSTART] = 0x55;
        settings.c_cc[VSTOP] = 0x66;
        MpDcb dcb = line(9600, 8, 0, 0);
        dcb.XonChar = c.xon;
        dcb.XoffChar = c.xoff;
        ASSERT_TRUE(mpdll::platform::apply_line_settings(dcb, &settings)) << c.name;
        EXPECT_EQ(settings.c_cc[VSTART], c.start) << c.name;
        EXPECT_EQ(settings.c_cc[VSTOP], c.stop) << c.name;
    }
}

}  // namespace
