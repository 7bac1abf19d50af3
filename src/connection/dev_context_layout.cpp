// The byte layout of DevContext is part of the interface on 32-bit builds:
// a caller compiled against the same field list must find every field where
// the library writes it. These checks hold the layout to the published one.
#include <cstddef>

#include "mpdll/mpdll.h"

namespace {
constexpr bool kThirtyTwoBit = sizeof(void*) == 4;

#define MPDLL_AT(field, offset) \
    static_assert(!kThirtyTwoBit || offsetof(DevContext, field) == (offset), #field " is out of place")

static_assert(sizeof(MpDcb) == 28, "the serial line settings record is 28 bytes");
static_assert(sizeof(MpCommTimeouts) == 20, "the serial time-outs record is five 32-bit values");
static_assert(sizeof(MpSockAddrIn) == 16, "an IPv4 socket address is 16 bytes");

MPDLL_AT(udpAuxSocket, 0);
MPDLL_AT(udpSocket, 4);
MPDLL_AT(udpPeer, 8);
MPDLL_AT(cmdMutex, 24);
MPDLL_AT(reserved1, 28);
MPDLL_AT(cmdEvent, 32);
MPDLL_AT(cmdDoneEvent, 36);
MPDLL_AT(udpStop, 40);
MPDLL_AT(udpArea, 44);
MPDLL_AT(cmdTimeout, 16436);
MPDLL_AT(telnetSocket, 16440);
MPDLL_AT(telnetPeer, 16444);
MPDLL_AT(ipText, 16460);
MPDLL_AT(recvTimeout, 16480);
MPDLL_AT(sendTimeout, 16484);
MPDLL_AT(userName, 16488);
MPDLL_AT(password, 16508);
MPDLL_AT(firstCommand, 16528);
MPDLL_AT(serialHandle, 16628);
MPDLL_AT(portName, 16632);
MPDLL_AT(inQueueSize, 16636);
MPDLL_AT(outQueueSize, 16640);
MPDLL_AT(commTimeouts, 16644);
MPDLL_AT(dcb, 16664);
MPDLL_AT(openFlags, 16692);
MPDLL_AT(mode, 16696);
MPDLL_AT(chipModel, 16700);
MPDLL_AT(toolPath, 16750);
MPDLL_AT(ifName, 16800);
MPDLL_AT(prompt, 16850);
static_assert(!kThirtyTwoBit || sizeof(DevContext) == 16900, "DevContext is 16900 bytes");

#undef MPDLL_AT
}  // namespace
