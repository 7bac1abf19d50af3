// MpdllSetSerialLine: the record's serial line settings (dcb) filled from a
// line speed and the codes of the header, one way for every program.
#include <cstdint>

#include "mpdll/mpdll.h"

namespace {

constexpr std::uint32_t kRtsHandshake = 2;
constexpr char kXon = 0x11, kXoff = 0x13;

bool within(std::int32_t value, std::int32_t lowest, std::int32_t highest) {
    return value >= lowest && value <= highest;
}

}  // namespace

MPDLL_API int32_t MPDLL_CALL MpdllSetSerialLine(DevContext* dev, uint32_t baud, int32_t dataBits, int32_t parity,
                                                int32_t stopBits, int32_t flow) MPDLL_NOEXCEPT {
    if (!dev || baud == 0 || !within(dataBits, 5, 8) || !within(parity, MPDLL_PARITY_NONE, MPDLL_PARITY_SPACE) ||
        !within(stopBits, MPDLL_STOP_BITS_ONE, MPDLL_STOP_BITS_TWO) ||
        !within(flow, MPDLL_FLOW_NONE, MPDLL_FLOW_XONXOFF))
        return MPDLL_E_ARGUMENT;
    MpDcb line{};
    line.DCBlength = sizeof line;
    line.BaudRate = baud;
    line.fBinary = 1;
    line.ByteSize = static_cast<std::uint8_t>(dataBits);
    line.Parity = static_cast<std::uint8_t>(parity);
    line.fParity = parity != MPDLL_PARITY_NONE;
    line.StopBits = static_cast<std::uint8_t>(stopBits);
    if (flow == MPDLL_FLOW_RTSCTS) {
        line.fOutxCtsFlow = 1;
        line.fRtsControl = kRtsHandshake;
    } else if (flow == MPDLL_FLOW_XONXOFF) {
        line.fOutX = 1;
        line.fInX = 1;
        line.XonChar = kXon;
        line.XoffChar = kXoff;
    }
    dev->dcb = line;
    return MPDLL_OK;
}
