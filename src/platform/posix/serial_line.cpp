// Serial line settings: the caller's DCB-shaped record in termios terms.
#include "platform/posix/serial_line.h"

#include <cstdint>
#include <iterator>

namespace mpdll::platform {
namespace {

struct BaudRate {
    std::uint32_t bitsPerSecond;
    speed_t speed;
};

constexpr BaudRate kBaudRates[] = {
    {110, B110},         {300, B300},         {600, B600},         {1200, B1200},       {2400, B2400},
    {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},
#ifdef B460800
    {460800, B460800},   {921600, B921600},
#endif
#ifdef B1000000
    {1000000, B1000000}, {1500000, B1500000}, {2000000, B2000000}, {3000000, B3000000}, {4000000, B4000000},
#endif
};

bool find_speed(std::uint32_t bitsPerSecond, speed_t* speed) {
    for (const BaudRate& rate : kBaudRates) {
        if (rate.bitsPerSecond == bitsPerSecond) {
            *speed = rate.speed;
            return true;
        }
    }
    return false;
}

bool character_size(std::uint8_t byteSize, tcflag_t* size) {
    switch (byteSize) {
        case 5:
            *size = CS5;
            return true;
        case 6:
            *size = CS6;
            return true;
        case 7:
            *size = CS7;
            return true;
        case 8:
            *size = CS8;
            return true;
        default:
            return false;
    }
}

constexpr std::uint8_t kParityOdd = 1, kParityEven = 2, kParityMark = 3, kParitySpace = 4;
constexpr std::uint8_t kStopBitsOne = 0;
constexpr std::uint32_t kRtsHandshake = 2;

tcflag_t parity_flags(std::uint8_t parity) {
    switch (parity) {
        case kParityOdd:
            return PARENB | PARODD;
        case kParityEven:
            return PARENB;
#ifdef CMSPAR
        case kParityMark:
            return PARENB | PARODD | CMSPAR;
        case kParitySpace:
            return PARENB | CMSPAR;
#endif
        default:
            return 0;
    }
}

}  // namespace

bool apply_line_settings(const MpDcb& dcb, termios* line) {
    speed_t speed{};
    tcflag_t size{};
    if (!find_speed(dcb.BaudRate, &speed) || !character_size(dcb.ByteSize, &size)) return false;
    ::cfsetispeed(line, speed);
    ::cfsetospeed(line, speed);

    line->c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CMSPAR
    line->c_cflag &= ~CMSPAR;
#endif
    line->c_cflag |= size | parity_flags(dcb.Parity) | CLOCAL | CREAD;
    if (dcb.StopBits != kStopBitsOne) line->c_cflag |= CSTOPB;

    line->c_iflag &= ~(INPCK | IXON | IXOFF);
    if (dcb.fParity && dcb.Parity != 0) line->c_iflag |= INPCK;

#ifdef CRTSCTS
    line->c_cflag &= ~CRTSCTS;
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == kRtsHandshake) line->c_cflag |= CRTSCTS;
#endif
    if (dcb.fOutX) line->c_iflag |= IXON;
    if (dcb.fInX) line->c_iflag |= IXOFF;
    if (dcb.XonChar) line->c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    if (dcb.XoffChar) line->c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    return true;
}

}  // namespace mpdll::platform
