/* Prints the size of DevContext and of the records inside it ("RECORD SIZE"),
 * the offset and size of every field ("RECORD.FIELD OFFSET SIZE") and the
 * bits of every DCB flag ("MpDcb:FLAG MASK"): the Python package's ctypes
 * structures must agree with what the compiler makes of the header. */
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <mpdll/mpdll.h>

#define FIELD(record, field) \
    printf("%s.%s %zu %zu\n", #record, #field, offsetof(record, field), sizeof(((record*)0)->field))
#define SIZE(record) printf("%s %zu\n", #record, sizeof(record))
/* A flag set to all ones in a cleared DCB, and the flag word that gives. */
#define FLAG(field)                                                     \
    do {                                                                \
        MpDcb dcb = {0};                                                \
        uint32_t word = 0;                                              \
        --dcb.field; /* wraps to all ones */                            \
        memcpy(&word, (const char*)&dcb + 8, sizeof word);              \
        printf("MpDcb:%s 0x%08x\n", #field, (unsigned)word);            \
    } while (0)

int main(void) {
    SIZE(DevContext);
    FIELD(DevContext, udpAuxSocket);
    FIELD(DevContext, udpSocket);
    FIELD(DevContext, udpPeer);
    FIELD(DevContext, cmdMutex);
    FIELD(DevContext, reserved1);
    FIELD(DevContext, cmdEvent);
    FIELD(DevContext, cmdDoneEvent);
    FIELD(DevContext, udpStop);
    FIELD(DevContext, udpArea);
    FIELD(DevContext, cmdTimeout);
    FIELD(DevContext, telnetSocket);
    FIELD(DevContext, telnetPeer);
    FIELD(DevContext, ipText);
    FIELD(DevContext, recvTimeout);
    FIELD(DevContext, sendTimeout);
    FIELD(DevContext, userName);
    FIELD(DevContext, password);
    FIELD(DevContext, firstCommand);
    FIELD(DevContext, serialHandle);
    FIELD(DevContext, portName);
    FIELD(DevContext, inQueueSize);
    FIELD(DevContext, outQueueSize);
    FIELD(DevContext, commTimeouts);
    FIELD(DevContext, dcb);
    FIELD(DevContext, openFlags);
    FIELD(DevContext, mode);
    FIELD(DevContext, chipModel);
    FIELD(DevContext, toolPath);
    FIELD(DevContext, ifName);
    FIELD(DevContext, prompt);

    SIZE(MpSockAddrIn);
    FIELD(MpSockAddrIn, family);
    FIELD(MpSockAddrIn, port);
    FIELD(MpSockAddrIn, address);
    FIELD(MpSockAddrIn, zero);

    SIZE(MpCommTimeouts);
    FIELD(MpCommTimeouts, ReadIntervalTimeout);
    FIELD(MpCommTimeouts, ReadTotalTimeoutMultiplier);
    FIELD(MpCommTimeouts, ReadTotalTimeoutConstant);
    FIELD(MpCommTimeouts, WriteTotalTimeoutMultiplier);
    FIELD(MpCommTimeouts, WriteTotalTimeoutConstant);

    /* The flag bits of the DCB share one 32-bit word after BaudRate. */
    SIZE(MpDcb);
    FIELD(MpDcb, DCBlength);
    FIELD(MpDcb, BaudRate);
    FIELD(MpDcb, wReserved);
    FIELD(MpDcb, XonLim);
    FIELD(MpDcb, XoffLim);
    FIELD(MpDcb, ByteSize);
    FIELD(MpDcb, Parity);
    FIELD(MpDcb, StopBits);
    FIELD(MpDcb, XonChar);
    FIELD(MpDcb, XoffChar);
    FIELD(MpDcb, ErrorChar);
    FIELD(MpDcb, EofChar);
    FIELD(MpDcb, EvtChar);
    FIELD(MpDcb, wReserved1);
    FLAG(fBinary);
    FLAG(fParity);
    FLAG(fOutxCtsFlow);
    FLAG(fOutxDsrFlow);
    FLAG(fDtrControl);
    FLAG(fDsrSensitivity);
    FLAG(fTXContinueOnXoff);
    FLAG(fOutX);
    FLAG(fInX);
    FLAG(fErrorChar);
    FLAG(fNull);
    FLAG(fRtsControl);
    FLAG(fAbortOnError);
    FLAG(fDummy2);
    return 0;
}
