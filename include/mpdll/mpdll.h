/* mpdll: the C interface of the board test-mode library.
 *
 * A test program fills one DevContext per board, opens it with OpenDev, puts
 * the radio into test mode with EnterMP, runs test operations and closes it
 * with CloseDev. Every function returns a status code (MPDLL_OK or one of the
 * MPDLL_E_* values below) unless its comment says otherwise.
 *
 * The DevContext record is shared with the caller: on the 32-bit Windows build
 * its byte layout is part of the interface (16900 bytes, natural alignment).
 */
#ifndef MPDLL_MPDLL_H
#define MPDLL_MPDLL_H

#include <stdint.h>

#if defined(_WIN32)
#include <windows.h>
#define MPDLL_CALL __stdcall
#if defined(MPDLL_BUILDING)
#define MPDLL_API
#else
#define MPDLL_API __declspec(dllimport)
#endif
#else
#define MPDLL_CALL
#define MPDLL_API __attribute__((visibility("default")))
#endif

#if defined(__cplusplus)
#define MPDLL_NOEXCEPT noexcept
extern "C" {
#else
#define MPDLL_NOEXCEPT
#endif

/* ---- Status codes ------------------------------------------------------ */
#define MPDLL_OK 0
#define MPDLL_E_MODE (-30000)          /* mode is none of 1, 2 and 4 */
#define MPDLL_E_COMMAND_ID (-30001)    /* command identifier not in the catalogue */
#define MPDLL_E_TRANSPORT (-30002)     /* socket wait, UDP send/receive, serial write/read failed */
#define MPDLL_E_SERIAL_TIMEOUT (-30003) /* serial: no prompt within 5000 ms, or port status unreadable */
#define MPDLL_E_REPLY (-30004)         /* the board's answer failed its test */
#define MPDLL_E_OPEN_MODE (-30005)     /* OpenDev with a mode other than 1, 2 and 4 */
#define MPDLL_E_OPEN (-30006)          /* connection could not be made; CloseDev given an invalid record */
#define MPDLL_E_ARGUMENT (-30007)      /* null pointer, or text too long for its buffer; nothing sent */
/* A positive status is the platform's socket error number from a failed
 * telnet send or receive, passed through unchanged. */

/* ---- Connection modes and open flags ------------------------------------ */
#define MPDLL_MODE_UDP 1
#define MPDLL_MODE_TELNET 2
#define MPDLL_MODE_SERIAL 4

/* Wait values for SendCommand, TelnetRcv, SerialRcv and RcvPrompt. Above 0:
 * sleep that many milliseconds after sending, then collect until the prompt. */
#define MPDLL_WAIT_NONE (-123)  /* no delay, collect until the prompt */
#define MPDLL_WAIT_QUIET (-124) /* take the first burst once the line is quiet */

/* ---- Platform types the record holds ------------------------------------ */
#if defined(_WIN32)
typedef UINT_PTR MpSocket; /* the platform's SOCKET */
typedef HANDLE MpHandle;
typedef DCB MpDcb;
typedef COMMTIMEOUTS MpCommTimeouts;
#else
typedef int32_t MpSocket; /* a file descriptor */
typedef void* MpHandle;   /* a file descriptor or named object, opaque */

/* Serial line settings, laid out like the Windows DCB (28 bytes). */
typedef struct MpDcb {
    uint32_t DCBlength;
    uint32_t BaudRate;
    uint32_t fBinary : 1;
    uint32_t fParity : 1;
    uint32_t fOutxCtsFlow : 1;
    uint32_t fOutxDsrFlow : 1;
    uint32_t fDtrControl : 2;
    uint32_t fDsrSensitivity : 1;
    uint32_t fTXContinueOnXoff : 1;
    uint32_t fOutX : 1;
    uint32_t fInX : 1;
    uint32_t fErrorChar : 1;
    uint32_t fNull : 1;
    uint32_t fRtsControl : 2;
    uint32_t fAbortOnError : 1;
    uint32_t fDummy2 : 17;
    uint16_t wReserved;
    uint16_t XonLim;
    uint16_t XoffLim;
    uint8_t ByteSize;
    uint8_t Parity;   /* 0 none, 1 odd, 2 even, 3 mark, 4 space */
    uint8_t StopBits; /* 0 one, 1 one and a half, 2 two */
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    uint16_t wReserved1;
} MpDcb;

/* Serial port time-outs in milliseconds, laid out like COMMTIMEOUTS. */
typedef struct MpCommTimeouts {
    uint32_t ReadIntervalTimeout;
    uint32_t ReadTotalTimeoutMultiplier;
    uint32_t ReadTotalTimeoutConstant;
    uint32_t WriteTotalTimeoutMultiplier;
    uint32_t WriteTotalTimeoutConstant;
} MpCommTimeouts;
#endif

/* An IPv4 socket address (16 bytes): family, port and address in network
 * byte order, eight bytes of zeros. */
typedef struct MpSockAddrIn {
    uint16_t family;
    uint16_t port;
    uint32_t address;
    uint8_t zero[8];
} MpSockAddrIn;

/* ---- The device context record ------------------------------------------ */
typedef struct DevContext {
    MpSocket udpAuxSocket;      /* second UDP socket, made by OpenDev (mode 1) */
    MpSocket udpSocket;         /* UDP command socket */
    MpSockAddrIn udpPeer;       /* board's UDP endpoint; the caller sets the address. Only
                                   datagrams from it are replies; never rewritten. */
    MpHandle cmdMutex;          /* named mutex "MUTEX_CMD" (mode 1) */
    uint32_t reserved1;
    MpHandle cmdEvent;          /* named manual-reset event "EVENT_CMD" */
    MpHandle cmdDoneEvent;      /* named auto-reset event "EVENT_CMD_DONE" */
    int32_t udpStop;            /* set to 1 by CloseDev before closing the UDP sockets */
    uint8_t udpArea[16392];     /* the caller's, never used by the library */
    int32_t cmdTimeout;         /* UDP command time-out, ms (OpenDev sets 5000) */
    MpSocket telnetSocket;
    MpSockAddrIn telnetPeer;
    char ipText[20];            /* "a.b.c.d", or "a.b.c.d:port" to reach another port than 23 */
    int32_t recvTimeout;        /* telnet socket receive time-out, ms; 0 or less = 5000 */
    int32_t sendTimeout;        /* telnet socket send time-out, ms; serial: drain bound after a write */
    char userName[20];
    char password[20];
    char firstCommand[100];     /* run right after the telnet login; empty = none */
    MpHandle serialHandle;
    const char* portName;       /* serial port name (Windows) or device path (POSIX) */
    uint32_t inQueueSize;       /* raised to 16384 when not above it */
    uint32_t outQueueSize;
    MpCommTimeouts commTimeouts; /* all zero = 100/0/0/100/500 */
    MpDcb dcb;                  /* serial line settings */
    uint32_t openFlags;         /* open connections: 1 UDP, 2 telnet, 4 serial */
    int32_t mode;               /* 1 UDP, 2 telnet, 4 serial */
    char chipModel[50];         /* upper-cased in place by the command builder */
    char toolPath[50];          /* replaces "iwpriv"; empty = keep it */
    char ifName[50];            /* replaces "wlan0"; empty = keep it */
    char prompt[50];            /* the board's shell prompt */
} DevContext;

/* ---- Record, open and close --------------------------------------------- */
MPDLL_API DevContext* MPDLL_CALL DevTimeout(DevContext* dev, int32_t timeoutMs) MPDLL_NOEXCEPT;
/* OpenDev opens the connection `mode` names. Telnet: connects within 5 s,
 * answers the option negotiation, logs in (the user name and the password
 * each followed by one CR) and runs firstCommand. It returns 0 only with
 * evidence of a shell: the prompt ended what the board said, or the board
 * asked for no login and fell silent, or (with an empty prompt) it answered
 * the password without refusing. A refusal, a board that hangs up, says not
 * one byte, negotiates for more than 10 s or answers neither question nor
 * password within 5 to 6 s fails with MPDLL_E_OPEN. Every MPDLL_E_OPEN says
 * why in the debug text (the step, what was heard last, the time spent):
 * the debugger output on Windows, standard error on POSIX while the
 * environment variable MPDLL_TRACE is set (and not "0"). After a telnet
 * open lastSent holds the user name line and lastReceived what the board
 * said after the last login line, never the password.
 * OpenDev on a record whose connection of that mode is still open closes that
 * connection first, so opening again never leaks it. A failed OpenDev leaves
 * the record closed for its mode: the bit clear in openFlags and the handles
 * at the platform's invalid value (sockets -1 / INVALID_SOCKET, serialHandle
 * -1 / INVALID_HANDLE_VALUE). */
MPDLL_API int32_t MPDLL_CALL OpenDev(DevContext* dev) MPDLL_NOEXCEPT;
/* Closes only connections whose bit is set in openFlags and puts the invalid
 * value into the handles it closed (named objects: NULL), so closing twice or
 * closing a record whose open failed touches nothing. */
MPDLL_API int32_t MPDLL_CALL CloseDev(DevContext* dev, uint32_t which) MPDLL_NOEXCEPT;

/* ---- Telnet transport ----------------------------------------------------- */
MPDLL_API int32_t MPDLL_CALL TelnetSnd(DevContext* dev, const char* data, int32_t length) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL TelnetRcv(DevContext* dev, char* buffer, int32_t bufferSize,
                                      int32_t* receivedLength, int32_t wait) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL RcvPrompt(DevContext* dev, const char* text, int32_t wait) MPDLL_NOEXCEPT;
/* reply needs 6 bytes per negotiation sequence in received. */
MPDLL_API int32_t MPDLL_CALL TelnetNegotiate(const char* received, int32_t receivedSize, char* reply,
                                            int32_t* replyLength) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL TelnetReplay(const char* sequence, int32_t sequenceLength, char* reply,
                                         int32_t* replyLength) MPDLL_NOEXCEPT;

/* ---- Serial transport ----------------------------------------------------- */
/* A write that puts out fewer bytes than the line has (the far end holds the
 * flow off past the port's write time-outs) is MPDLL_E_TRANSPORT. The wait for
 * the output to drain lasts sendTimeout ms (0 = none, negative = 5000) and
 * never longer than the port's total write time-out. */
MPDLL_API int32_t MPDLL_CALL SerialSnd(DevContext* dev, const char* data, int32_t length) MPDLL_NOEXCEPT;
/* Ends within 5000 ms after the wait (wait > 0), however the console sends:
 * without the prompt by then, MPDLL_E_SERIAL_TIMEOUT. */
MPDLL_API int32_t MPDLL_CALL SerialRcv(DevContext* dev, char* buffer, int32_t bufferSize,
                                      int32_t* receivedLength, int32_t wait) MPDLL_NOEXCEPT;

/* ---- Command execution ------------------------------------------------------ */
/* UDP: a command without a reply in its window returns MPDLL_OK with an empty
 * response and leaves a note in the received transcript (GetBuffer) that the
 * reply may come late; whatever arrives before the next command is dropped. */
MPDLL_API int32_t MPDLL_CALL SendCommand(DevContext* dev, const char* command, char* response,
                                        int32_t responseSize, int32_t keepPrompt, int32_t wait) MPDLL_NOEXCEPT;
/* out must hold the whole raw text plus a terminator; it is not cleared. */
MPDLL_API int32_t MPDLL_CALL FormatReceiveData(const char* raw, const char* command, const char* prompt, char* out,
                                              int32_t keepPrompt) MPDLL_NOEXCEPT;
/* Always terminated within each size (size >= 1). */
MPDLL_API int32_t MPDLL_CALL GetBuffer(DevContext* dev, char* sentOut, int32_t sentSize, char* receivedOut,
                                      int32_t receivedSize) MPDLL_NOEXCEPT;

/* ---- Response text helpers ---------------------------------------------------- */
/* Always terminated within outSize (outSize >= 1). */
MPDLL_API int32_t MPDLL_CALL FormatBuffer(const char* in, char* out, int32_t outSize) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL IsBufferOk(const char* text) MPDLL_NOEXCEPT;

/* ---- Test-mode entry ---------------------------------------------------------- */
MPDLL_API int32_t MPDLL_CALL EnterMP(DevContext* dev) MPDLL_NOEXCEPT;

/* ---- Command text builder (output buffers: 2048 bytes, zero-filled) ------------- */
MPDLL_API int32_t MPDLL_CALL mp_command_d2s(DevContext* dev, char* ifNameOut, char* toolNameOut,
                                           int32_t* chipFlag) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_command_s2s(DevContext* dev, const char* text, char* out) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_command_c2s(DevContext* dev, uint32_t commandId, char* out,
                                           int32_t raw) MPDLL_NOEXCEPT;

/* ---- Rate and channel names --------------------------------------------------- */
MPDLL_API int32_t MPDLL_CALL mp_rate_s2i(const char* rateText) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_channel_s2i(const char* channelText) MPDLL_NOEXCEPT;

/* ---- Chip capability (value buffers: up to 16384 bytes) ---------------------------- */
MPDLL_API int32_t MPDLL_CALL GetHwSupport(DevContext* dev, char* supportText) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL GetChipVersion(DevContext* dev, char* versionText) MPDLL_NOEXCEPT;

/* ---- Setting commands --------------------------------------------------------- */
MPDLL_API int32_t MPDLL_CALL mp_start(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_stop(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_rate(DevContext* dev, const char* rate) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_channel(DevContext* dev, const char* channel) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_bandwidth(DevContext* dev, int32_t bw40, int32_t shortGI) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_txpower(DevContext* dev, int32_t pathA, int32_t pathB) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_txpower_a(DevContext* dev, const char* power) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_phypara(DevContext* dev, int32_t xcap) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_bssid(DevContext* dev, const char* bssid) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_ant_tx(DevContext* dev, const char* antenna) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_ant_rx(DevContext* dev, const char* antenna) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx(DevContext* dev, const char* word) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_ctx(DevContext* dev, const char* word) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_pwrtrk(DevContext* dev, const char* word) MPDLL_NOEXCEPT;

/* ---- Receive filter commands (address outputs: 18 bytes each) ------------------- */
MPDLL_API int32_t MPDLL_CALL mp_arx_start(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_stop(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_init(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_clean(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_da(DevContext* dev, const char* address) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_sa(DevContext* dev, const char* address) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_bssid(DevContext* dev, const char* address) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_print(DevContext* dev, char* daOut, char* saOut,
                                                char* bssidOut) MPDLL_NOEXCEPT;

/* ---- Counter and sensor queries ------------------------------------------------- */
MPDLL_API int32_t MPDLL_CALL mp_query(DevContext* dev, int32_t* txOk, int32_t* txFail, int32_t* rxOk,
                                     int32_t* crcError) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_ther(DevContext* dev, int32_t* thermal) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_tssi(DevContext* dev, int32_t* tssi) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_pwrtrk_start(DevContext* dev, int32_t thermal) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_pwrtrk_stop(DevContext* dev) MPDLL_NOEXCEPT;

/* ---- Transmit and receive tests, power tracking ------------------------------- */
MPDLL_API int32_t MPDLL_CALL TxStart(DevContext* dev, uint32_t txMode, int32_t bw40, int32_t shortGI,
                                    const char* channel, const char* rate, const char* antenna, int32_t powerA,
                                    int32_t powerB, int32_t count, int32_t time) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL TxStop(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL RxStart(DevContext* dev, int32_t bw40, int32_t shortGI, const char* channel,
                                    const char* antenna) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL RxStartWithFilter(DevContext* dev, int32_t bw40, int32_t shortGI,
                                              const char* channel, const char* antenna, const char* filterDA,
                                              const char* filterSA, const char* filterBSSID) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL RxQuery(DevContext* dev, int32_t* rxOk, int32_t* crcError) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL RxResetCounter(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL RxStop(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL PowerTrackingOn(DevContext* dev, int32_t thermal) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL PowerTrackingQuery(DevContext* dev, int32_t* thermalOut) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL PowerTrackingOff(DevContext* dev) MPDLL_NOEXCEPT;

/* ---- Flash parameters and RF registers (valueOut: up to 16384 bytes) ------------- */
MPDLL_API int32_t MPDLL_CALL FlashGet(DevContext* dev, const char* paramName, char* valueOut) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL FlashSet(DevContext* dev, const char* paramName, const char* paramValue) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL RegisterGet(DevContext* dev, int32_t regSel1, int32_t regSel2,
                                        uint32_t* regValueOut) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL RegisterSet(DevContext* dev, int32_t regSel1, int32_t regSel2,
                                        uint32_t regValue) MPDLL_NOEXCEPT;

/* ---- Transmit power index tables --------------------------------------------- */
/* Texts hold two hexadecimal digits per entry and are read only up to their
 * terminator; tables and texts may hold any count of entries. HexPowerIndex
 * writes exactly 2 * count characters and a terminator into each output
 * (room: 2 * count + 1 bytes): a plain or base value outside 0..255 is written
 * clamped to that range, a difference outside -8..7 as the digit 0, and a
 * count of 0 or less gives seven empty texts. A null table or text makes a
 * converter do nothing and return 0 (DiffDec2Hex returns the digit 0). */
MPDLL_API int32_t MPDLL_CALL Hex2Dec(int32_t count, const char* hexText, int32_t* values) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL DecPowerIndex(int32_t count, const char* hexPlain1, const char* hexPlain2,
                                          const char* hexBaseA, const char* hexBaseB, const char* hexDiff1,
                                          const char* hexDiff2, const char* hexDiff3, int32_t* plain1,
                                          int32_t* plain2, int32_t* baseA, int32_t* baseB, int32_t* group1A,
                                          int32_t* group1B, int32_t* group2A, int32_t* group2B,
                                          int32_t* group3A, int32_t* group3B) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL HexPowerIndex(int32_t count, const int32_t* plain1, const int32_t* plain2,
                                          const int32_t* baseA, const int32_t* baseB, const int32_t* group1A,
                                          const int32_t* group1B, const int32_t* group2A,
                                          const int32_t* group2B, const int32_t* group3A,
                                          const int32_t* group3B, char* hexPlain1, char* hexPlain2,
                                          char* hexBaseA, char* hexBaseB, char* hexDiff1, char* hexDiff2,
                                          char* hexDiff3) MPDLL_NOEXCEPT;
MPDLL_API char MPDLL_CALL DiffDec2Hex(const char* decimalText) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL DiffHex2Dec(const char* pair, int32_t highDigit) MPDLL_NOEXCEPT;

#if defined(__cplusplus)
}
#endif

#endif /* MPDLL_MPDLL_H */
