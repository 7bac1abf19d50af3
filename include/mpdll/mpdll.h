/* mpdll: the C interface of the board test-mode library.
 *
 * A test program fills one DevContext per board, opens it with OpenDev, puts
 * the radio into test mode with EnterMP, runs test operations and closes it
 * with CloseDev. Every function returns a status code (MPDLL_OK or one of the
 * MPDLL_E_* values below) unless its comment says otherwise.
 *
 * The DevContext record is shared with the caller: on the 32-bit Windows build
 * its byte layout is part of the interface (16900 bytes, natural alignment).
 *
 * Where a literal reading of the interface would crash, lose data or report
 * a wrong value as success, the library does the sound thing instead; each
 * export's comment states its rule. In short:
 * - Every export checks its pointers and sizes (MPDLL_E_ARGUMENT) and never
 *   writes past a buffer; texts are cut to fit and terminated.
 * - Telnet and serial answers are framed by the line's own echo, and the
 *   prompt ends an answer only where it ends the text received (not where it
 *   first appears): a late answer, an echo or an answer holding the prompt
 *   text never becomes another line's answer, and a lost or late line costs
 *   only itself (SendCommand). The answer is collected whole and then cut to
 *   the caller's size. TelnetRcv and SerialRcv end where the prompt ends the
 *   text. A board whose answers can hold the prompt's text at the end of a
 *   write (the rest of the answer follows a moment later) needs a settle
 *   after the prompt (MpdllSetPromptSettle): only time tells that text from
 *   the prompt that ends the answer.
 * - The telnet stream is decoded for the whole session (options answered,
 *   IAC IAC one 0xFF byte), and TelnetSnd doubles a 0xFF byte it sends.
 * - The telnet open succeeds only with evidence of a shell (OpenDev).
 * - A UDP reply is taken only from the board's address (any port).
 *
 * It stays at one address from OpenDev to CloseDev: the library keeps some
 * state of each record keyed by its address.
 *
 * Threads: calls on different records may run at the same time on different
 * threads; the calls on one record take turns (one thread at a time per
 * record). What the library keeps for the whole process is the last exchange,
 * the line sent and the answer received (lastSent, lastReceived), behind a
 * lock: GetBuffer shows the last exchange of any record on any thread, so it
 * shows a call of one's own only when no other record's call ran between that
 * call and GetBuffer.
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
#define MPDLL_E_MODE (-30000)
#define MPDLL_E_COMMAND_ID (-30001)
#define MPDLL_E_TRANSPORT (-30002)
#define MPDLL_E_SERIAL_TIMEOUT (-30003)
#define MPDLL_E_REPLY (-30004)
#define MPDLL_E_OPEN_MODE (-30005)
#define MPDLL_E_OPEN (-30006)
#define MPDLL_E_ARGUMENT (-30007)
/* A positive status is the platform's socket error number from a failed
 * telnet send or receive, passed through unchanged. */

/* What each status means, one X(name, meaning) per status: name is the macro
 * above (it expands to the value, #name gives its spelling), meaning the
 * words a program prints for it. For example:
 *     #define MY_ROW(name, meaning) {name, meaning},
 *     static const struct { int32_t status; const char* meaning; } rows[] = {
 *         MPDLL_STATUS_LIST(MY_ROW)};
 */
#define MPDLL_STATUS_LIST(X)                                                                                      \
    X(MPDLL_OK, "success")                                                                                        \
    X(MPDLL_E_MODE, "the connection mode is none of UDP, telnet and serial")                                      \
    X(MPDLL_E_COMMAND_ID, "command identifier not in the command catalogue")                                      \
    X(MPDLL_E_TRANSPORT, "transport failure: socket wait, UDP send or receive, serial write or read")             \
    X(MPDLL_E_SERIAL_TIMEOUT, "serial receive: no prompt within 5000 ms, or the port status cannot be read")      \
    X(MPDLL_E_REPLY, "the board's answer failed its test")                                                        \
    X(MPDLL_E_OPEN_MODE, "open with a connection mode other than UDP, telnet and serial")                         \
    X(MPDLL_E_OPEN, "the telnet or serial connection could not be made, or CloseDev was given an invalid record") \
    X(MPDLL_E_ARGUMENT, "an argument is missing or too long for its buffer; nothing was sent")

/* ---- Connection modes and open flags ------------------------------------ */
#define MPDLL_MODE_UDP 1
#define MPDLL_MODE_TELNET 2
#define MPDLL_MODE_SERIAL 4

/* Wait values for SendCommand, TelnetRcv, SerialRcv and RcvPrompt. Above 0:
 * sleep that many milliseconds after sending, then collect until the prompt. */
#define MPDLL_WAIT_NONE (-123)  /* no delay, collect until the prompt */
#define MPDLL_WAIT_QUIET (-124) /* take the first burst once the line is quiet */

/* ---- Sizes and the board's UDP port -------------------------------------- */
/* Buffer and field sizes in bytes, terminator included: the record's text
 * fields and the outputs the comments below name by these sizes. */
#define MPDLL_COMMAND_SIZE 2048   /* one command line: at most 2047 characters */
#define MPDLL_RESPONSE_SIZE 16384 /* one answer: at most 16383 characters */
#define MPDLL_MAC_TEXT_SIZE 18    /* an address "aa:bb:cc:dd:ee:ff": 17 characters */
#define MPDLL_FIELD_SIZE 50       /* chipModel, toolPath, ifName, prompt */
#define MPDLL_IP_TEXT_SIZE 20     /* ipText */
#define MPDLL_LOGIN_TEXT_SIZE 20  /* userName, password */
#define MPDLL_FIRST_COMMAND_SIZE 100
#define MPDLL_UDP_PORT 9034 /* the board's UDP command endpoint */

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
    MpSocket udpAuxSocket;                       /* second UDP socket, made by OpenDev (mode 1) */
    MpSocket udpSocket;                          /* UDP command socket */
    MpSockAddrIn udpPeer;                        /* board's UDP endpoint; the caller sets the address. Only
                                                    datagrams from that address (any port) are replies; each
                                                    reply overwrites it with its sender (same address, the
                                                    reply's port). */
    MpHandle cmdMutex;                           /* named mutex "MUTEX_CMD" (mode 1) */
    uint32_t reserved1;
    MpHandle cmdEvent;                           /* named manual-reset event "EVENT_CMD" */
    MpHandle cmdDoneEvent;                       /* named auto-reset event "EVENT_CMD_DONE" */
    int32_t udpStop;                             /* set to 1 by CloseDev before closing the UDP sockets */
    uint8_t udpArea[16392];                      /* the caller's, never used by the library */
    int32_t cmdTimeout;                          /* UDP command time-out, ms (OpenDev sets 5000) */
    MpSocket telnetSocket;
    MpSockAddrIn telnetPeer;
    char ipText[MPDLL_IP_TEXT_SIZE];             /* "a.b.c.d", or "a.b.c.d:port" to reach another port than 23 */
    int32_t recvTimeout;                         /* telnet socket receive time-out, ms; 0 or less = 5000 */
    int32_t sendTimeout;                         /* telnet socket send time-out, ms; serial: drain bound
                                                    after a write */
    char userName[MPDLL_LOGIN_TEXT_SIZE];
    char password[MPDLL_LOGIN_TEXT_SIZE];
    char firstCommand[MPDLL_FIRST_COMMAND_SIZE]; /* run right after the telnet login; empty = none */
    MpHandle serialHandle;
    const char* portName;                        /* serial port name (Windows) or device path (POSIX) */
    uint32_t inQueueSize;                        /* raised to MPDLL_RESPONSE_SIZE when not above it */
    uint32_t outQueueSize;
    MpCommTimeouts commTimeouts;                 /* all zero = 100/0/0/100/500 */
    MpDcb dcb;                                   /* serial line settings */
    uint32_t openFlags;                          /* open connections: 1 UDP, 2 telnet, 4 serial */
    int32_t mode;                                /* 1 UDP, 2 telnet, 4 serial */
    char chipModel[MPDLL_FIELD_SIZE];            /* upper-cased in place by the command builder */
    char toolPath[MPDLL_FIELD_SIZE];             /* replaces "iwpriv"; empty = keep it */
    char ifName[MPDLL_FIELD_SIZE];               /* replaces "wlan0"; empty = keep it */
    char prompt[MPDLL_FIELD_SIZE];               /* the board's shell prompt */
} DevContext;

/* ---- Record, open and close --------------------------------------------- */
/* Conventions of every export below unless its comment says otherwise:
 * - MPDLL_E_ARGUMENT: a required pointer is NULL, a size is below 1, or a
 *   line would be longer than its buffer; nothing is sent then.
 * - A board operation sends its line through SendCommand and so returns
 *   SendCommand's failures: MPDLL_E_MODE, MPDLL_E_TRANSPORT,
 *   MPDLL_E_SERIAL_TIMEOUT or a positive socket error.
 * - "process-wide": one copy for the whole process, whatever record or
 *   thread made it; a lock guards it (see Threads at the top).
 * - Text outputs are written with a terminator, and only on success. */

/* Stores timeoutMs in dev->cmdTimeout and returns dev (NULL for NULL). The
 * value is for the caller's own UDP side: the library's UDP exchange waits
 * its fixed 5 to 6 s window whatever cmdTimeout holds. */
MPDLL_API DevContext* MPDLL_CALL DevTimeout(DevContext* dev, int32_t timeoutMs) MPDLL_NOEXCEPT;
/* OpenDev opens the connection `mode` names.
 * UDP (1): makes the two UDP sockets and the named objects, sets cmdTimeout
 * to 5000 and udpPeer's family and port (MPDLL_UDP_PORT; the address stays the
 * caller's). Nothing is sent. MPDLL_E_OPEN when a socket or a named object
 * cannot be made; what was made is closed again.
 * Serial (4): opens portName, raises the queue sizes to MPDLL_RESPONSE_SIZE, applies the
 * time-outs and dcb (their failures are not reported as failures: line
 * settings the port does not take are noted in the debug text, and the port
 * keeps its own) and purges the port; MPDLL_E_OPEN when the port cannot be
 * opened.
 * Telnet (2): connects within 5 s, answers the option negotiation, logs in
 * and runs firstCommand. The login answers only what ends the text the
 * board has said: a user question ("login:" or "username:", any case,
 * blanks and colours after it) gets the user name, a password question
 * ("password:", the same way) the password, each followed by one CR; the
 * password goes only in answer to a password question, so a board that
 * asks for the password alone, or for the user name alone, is logged in
 * too. It returns 0 only with evidence of a shell: the prompt ended what
 * the board said (whatever notices came before it), or the board said
 * nothing but blanks and fell silent, or (with an empty prompt) it fell
 * silent without a question or answered the password with a burst that
 * neither asks again nor refuses. Refused, MPDLL_E_OPEN: a question asked
 * again after its answer, or a last line saying "incorrect", "denied" or
 * "failed" (not a notice about earlier failed logins) the board then stays
 * quiet after for 400 ms. A board that hangs up, says not one byte,
 * negotiates for more than 10 s, falls silent after text that ends with
 * neither a question nor the prompt, or answers neither question nor
 * password within 5 to 6 s fails with MPDLL_E_OPEN too. The open clears the
 * process-wide lastSent and lastReceived (GetBuffer); after it lastSent
 * holds the user name line (empty when no user name was asked) and
 * lastReceived what the board said after the last login line (its newest
 * 16383 bytes). firstCommand goes through SendCommand with a CR of its
 * own, so the board gets it followed by two CRs, and the transcript then
 * holds its exchange instead; a failed firstCommand is MPDLL_E_OPEN.
 * Every MPDLL_E_OPEN of every mode says why in the debug text (the step,
 * the reason with the operating system's error number where there is one,
 * what the board said last, the time spent): the debugger output on
 * Windows, standard error on POSIX while the environment variable
 * MPDLL_TRACE is set (and not "0"). The same debug text has a line for
 * every connection CloseDev (or a second OpenDev) closes, with how long it
 * was open, and for every failed SendCommand, TelnetSnd, TelnetRcv,
 * SerialSnd and SerialRcv: the export, the step, the reason and the
 * system error number where there is one. The password is masked ('*') in
 * lastSent, lastReceived and that text before any of them is cut to size,
 * also a piece of it at a cut or at the end.
 * OpenDev on a record whose connection of that mode is still open closes that
 * connection first, so opening again never leaks it. A failed OpenDev leaves
 * the record closed for its mode: the bit clear in openFlags and the handles
 * at the platform's invalid value (sockets -1 / INVALID_SOCKET, serialHandle
 * -1 / INVALID_HANDLE_VALUE, named objects NULL). A success sets the mode's
 * bit in openFlags.
 * Any other mode: MPDLL_E_OPEN_MODE, and openFlags is set to 0 without
 * closing anything the record held open. NULL dev: MPDLL_E_ARGUMENT. */
MPDLL_API int32_t MPDLL_CALL OpenDev(DevContext* dev) MPDLL_NOEXCEPT;
/* Closes the connections named by the bits of `which` (1 UDP, 2 telnet,
 * 4 serial) whose bit is set in openFlags, clears those bits in openFlags
 * and also in dev->mode (closing a mode-4 record with 4 leaves mode 0), and
 * puts the invalid value into the handles it closed (named objects: NULL).
 * Closing an open UDP connection sets udpStop to 1 first. Closing twice, or
 * closing a record whose open failed, touches no handle. Returns 0; MPDLL_E_OPEN for a NULL
 * dev or the debug fill pointer 0xCCCCCCCC. */
MPDLL_API int32_t MPDLL_CALL CloseDev(DevContext* dev, uint32_t which) MPDLL_NOEXCEPT;

/* ---- Telnet transport ----------------------------------------------------- */
/* Sends the first `length` bytes of data and one CR on the telnet socket
 * (length up to 16382; a 0xFF byte goes out doubled, as telnet wants it)
 * and makes them the process-wide lastSent. Returns 0,
 * MPDLL_E_ARGUMENT (NULL, negative or too long a length: nothing sent), or
 * the positive socket error of a failed send (MPDLL_E_TRANSPORT when the
 * platform gives none). */
MPDLL_API int32_t MPDLL_CALL TelnetSnd(DevContext* dev, const char* data, int32_t length) MPDLL_NOEXCEPT;
/* Clears all bufferSize bytes of buffer, then collects what the board sends
 * until the prompt (dev->prompt) ends all the text received so far (a prompt
 * in mid-text with more behind it does not) or the 5 to 6 s window closes.
 * Every byte goes through the session's telnet decoder: IAC IAC is one 0xFF,
 * options are answered as they come, no command reaches the text. buffer
 * keeps what fits before a terminator (at most 16383 characters); the
 * prompt is still found in a longer answer. With MPDLL_WAIT_QUIET the first burst, once
 * the line held still for 200 ms, ends the receive; any other wait value only
 * collects (TelnetRcv itself never sleeps). On 0, *receivedLength is the
 * count of bytes received and the text becomes the process-wide
 * lastReceived. Returns 0 also when the window closed without the prompt;
 * MPDLL_E_TRANSPORT when waiting for data fails; the positive socket error
 * when a read fails; MPDLL_E_ARGUMENT (nothing touched) for a NULL pointer
 * or bufferSize below 1. */
MPDLL_API int32_t MPDLL_CALL TelnetRcv(DevContext* dev, char* buffer, int32_t bufferSize,
                                      int32_t* receivedLength, int32_t wait) MPDLL_NOEXCEPT;
/* Looks for dev->prompt in text, also with its first CR LF written LF CR (or
 * the other way round), and returns the offset of the first match, or -1.
 * An empty prompt is found at 0; MPDLL_WAIT_QUIET always gives 0. Reads no
 * connection. MPDLL_E_ARGUMENT for a NULL pointer. */
MPDLL_API int32_t MPDLL_CALL RcvPrompt(DevContext* dev, const char* text, int32_t wait) MPDLL_NOEXCEPT;
/* Reads received as text (up to its first NUL, at most receivedSize bytes)
 * and writes the replies to every option negotiation in it into reply: we
 * agree to ECHO and SUPPRESS-GO-AHEAD and refuse every other option. reply
 * needs 6 bytes per IAC byte in received; it gets no terminator, and
 * *replyLength the bytes written. Returns 1 when a negotiation sequence was
 * found (one cut short at the end counts and gets no reply), else 0;
 * MPDLL_E_ARGUMENT for a NULL pointer. */
MPDLL_API int32_t MPDLL_CALL TelnetNegotiate(const char* received, int32_t receivedSize, char* reply,
                                            int32_t* replyLength) MPDLL_NOEXCEPT;
/* The reply to one sequence (IAC, command, option): 0, 3 or 6 bytes into
 * reply (room: 6 bytes, no terminator) and their count into *replyLength.
 * Returns 0; MPDLL_E_ARGUMENT for a NULL pointer. */
MPDLL_API int32_t MPDLL_CALL TelnetReplay(const char* sequence, int32_t sequenceLength, char* reply,
                                         int32_t* replyLength) MPDLL_NOEXCEPT;

/* ---- Serial transport ----------------------------------------------------- */
/* Purges both queues of the port (unread input is lost), then writes the
 * first `length` bytes of data and one CR (length up to 2046) and makes them
 * the process-wide lastSent. A write that puts out fewer bytes than the line
 * has (the far end holds the flow off past the port's write time-outs) is
 * MPDLL_E_TRANSPORT. The wait for the output to drain lasts sendTimeout ms
 * (0 = none, negative = 5000) and never longer than the port's total write
 * time-out; a port status that cannot be read meanwhile is
 * MPDLL_E_TRANSPORT. MPDLL_E_ARGUMENT: NULL pointer, negative or too long a
 * length (nothing sent). */
MPDLL_API int32_t MPDLL_CALL SerialSnd(DevContext* dev, const char* data, int32_t length) MPDLL_NOEXCEPT;
/* Unlike TelnetRcv, buffer is not cleared: the text already in it stays and
 * the answer is appended (pass it cleared). A positive wait is slept first;
 * then the receive collects until the prompt ends all the text received so
 * far (as TelnetRcv) and ends within 5000 ms however the console sends. With
 * MPDLL_WAIT_QUIET the first burst, once the port held still, replaces the
 * buffer's text. On 0 the text becomes the process-wide lastReceived and
 * the port is purged. *receivedLength (when receivedLength is not NULL)
 * gets the count of bytes read from the port by this call, however it ends.
 * Returns MPDLL_E_SERIAL_TIMEOUT without the prompt by then (buffer holds
 * what came, lastReceived is not set) or when the port status cannot be
 * read; MPDLL_E_TRANSPORT when a read fails; MPDLL_E_ARGUMENT (nothing
 * touched) for a NULL dev or buffer or bufferSize below 1. */
MPDLL_API int32_t MPDLL_CALL SerialRcv(DevContext* dev, char* buffer, int32_t bufferSize,
                                      int32_t* receivedLength, int32_t wait) MPDLL_NOEXCEPT;

/* ---- Command execution ------------------------------------------------------ */
/* Runs one line on the board over the transport dev->mode selects and puts
 * the answer into response (cut to fit, terminated). Once the arguments
 * pass, it drops what an earlier exchange left waiting, then clears all
 * responseSize bytes of response and the process-wide lastSent and
 * lastReceived, whatever follows.
 * Telnet and serial: command goes out with one CR (TelnetSnd, SerialSnd), a
 * positive wait is slept (serial sleeps it a second time before reading),
 * and the answer is collected and framed by the line's own echo:
 * - The answer begins after the echo of this line when the board echoes
 *   (known per connection: the telnet ECHO option agreed, then each answered
 *   line tells). Whatever came before that echo (a late answer to an earlier
 *   line, its prompt) is dropped, never taken. The echo is recognised
 *   through what line editors do to it (wraps at the margin, escape
 *   sequences, CR NUL); where it is not, the rules of a board without echo
 *   apply, never another line's text.
 * - The prompt ends the answer only where it ends all the text received so
 *   far, after the echo: never inside the echo, never in mid-text with more
 *   behind it (a "# " comment in an answer does not end it). It is cut off
 *   unless the low byte of keepPrompt is 1.
 * - A line whose receive ended without its prompt leaves it owed: the next
 *   line passes over the prompts still owed (those in what was dropped
 *   before it count) and ends at its own. The debt lives only as long as the
 *   evidence: a board that sits quiet for 2 s at a prompt owes nothing more
 *   (that prompt ends the current line's answer), and an echoing board that
 *   never echoed a line never got it, so it owes nothing for it. So a lost
 *   or late line costs only itself: with an echoing board the next line the
 *   board answers gets its own answer (at most 2 s late), and no line ever
 *   gets another line's text.
 * - Where the board's answers can hold the prompt's text at the end of a
 *   write, nothing in the text tells it from the prompt that ends the
 *   answer: the answer ends there, and its rest becomes the next line's.
 *   MpdllSetPromptSettle makes each answer wait until the board has been
 *   quiet after its prompt.
 * The answer is collected whole (up to 16383 bytes) and only then cut to
 * responseSize - 1 characters, so a small response gets the head of this
 * line's own answer. A telnet receive that ends by its 5 to 6 s window
 * without the prompt returns 0 with the part that is surely this line's
 * (possibly nothing); a serial one is MPDLL_E_SERIAL_TIMEOUT. A line longer
 * than the transport takes (telnet 16382, serial 2046 characters) is
 * MPDLL_E_ARGUMENT.
 * UDP: command goes to udpPeer as one datagram (no CR; wait and keepPrompt
 * are not used); the reply is the first datagram from udpPeer's address, on
 * any port, within 5 to 6 s, as it came, and its sender (that address, the
 * port it came from) is written to udpPeer, so the next command goes where
 * the board answered from. Datagrams from other addresses are dropped and
 * the wait goes on. A command without a reply in its window returns
 * MPDLL_OK with an empty response and leaves a note in the received
 * transcript (GetBuffer) that the reply may come late; whatever arrives
 * before the next command is dropped.
 * Returns 0; MPDLL_E_MODE for a mode other than 1, 2 and 4; MPDLL_E_ARGUMENT;
 * otherwise the failure of the transport call (MPDLL_E_TRANSPORT,
 * MPDLL_E_SERIAL_TIMEOUT, a positive socket error). */
MPDLL_API int32_t MPDLL_CALL SendCommand(DevContext* dev, const char* command, char* response,
                                        int32_t responseSize, int32_t keepPrompt, int32_t wait) MPDLL_NOEXCEPT;
/* Copies raw into out without the echo of command at its start (when raw
 * starts with command, or stops inside it) and, unless the low byte of
 * keepPrompt is 1, without prompt at its end (only when raw ends with it);
 * a raw text shorter than echo and prompt together is copied whole. out is
 * neither cleared nor terminated: pass it cleared, with room for all of raw
 * plus one byte. Returns 0; MPDLL_E_ARGUMENT for a NULL pointer. */
MPDLL_API int32_t MPDLL_CALL FormatReceiveData(const char* raw, const char* command, const char* prompt, char* out,
                                              int32_t keepPrompt) MPDLL_NOEXCEPT;
/* Clears both outputs (all of each size), then copies the process-wide
 * lastSent (at most 2047 characters) and lastReceived (at most 16383) into
 * them, each cut to fit before a terminator. dev is ignored and may be NULL:
 * the copies describe the last exchange of the whole process, on any record
 * and thread. Returns 0; MPDLL_E_ARGUMENT for a NULL output or a size below
 * 1. */
MPDLL_API int32_t MPDLL_CALL GetBuffer(DevContext* dev, char* sentOut, int32_t sentSize, char* receivedOut,
                                      int32_t receivedSize) MPDLL_NOEXCEPT;

/* ---- Response text helpers ---------------------------------------------------- */
/* Writes the normal form of in: blanks, tabs, CRs and LFs dropped, a to z
 * upper-cased. Clears all outSize bytes first; at most min(outSize, 16384) - 1
 * characters and a terminator. Returns 0; MPDLL_E_ARGUMENT for a NULL pointer
 * or outSize below 1. */
MPDLL_API int32_t MPDLL_CALL FormatBuffer(const char* in, char* out, int32_t outSize) MPDLL_NOEXCEPT;
/* 0 when text holds the lower-case "ok" anywhere, else MPDLL_E_REPLY;
 * MPDLL_E_ARGUMENT for NULL. */
MPDLL_API int32_t MPDLL_CALL IsBufferOk(const char* text) MPDLL_NOEXCEPT;

/* ---- Test-mode entry ---------------------------------------------------------- */
/* Telnet and serial: runs "ifconfig wlan0 down", "iwpriv wlan0 set_mib
 * mp_specific=1", "iwpriv wlan0 set_mib channel=1", "ifconfig wlan0 up" and
 * "iwpriv wlan0 mp_start" (board names put in, as mp_command_s2s does) with
 * SendCommand. The answers are not examined; the first failing exchange ends
 * the entry with its status, and EnterMP may simply be run again. UDP:
 * returns 0 and sends nothing (the endpoint is in test mode already). Any
 * other mode: MPDLL_E_MODE. NULL dev: MPDLL_E_ARGUMENT. */
MPDLL_API int32_t MPDLL_CALL EnterMP(DevContext* dev) MPDLL_NOEXCEPT;

/* ---- Command text builder (output buffers: MPDLL_COMMAND_SIZE bytes) ----------- */
/* The board's names: dev->ifName and dev->toolPath, or "wlan0" and "iwpriv"
 * when empty. Every builder export upper-cases dev->chipModel in place. */

/* Writes the interface name into ifNameOut and the tool word into
 * toolNameOut (at most 50 characters each) WITHOUT a terminator: pass them
 * zero-filled. *chipFlag becomes 1 when chipModel is "MXR4700LA" (the chip
 * whose receive filter has no report), 0 for any other model, and is left as
 * it was when chipModel is empty. Returns 0; MPDLL_E_ARGUMENT for a NULL
 * pointer. */
MPDLL_API int32_t MPDLL_CALL mp_command_d2s(DevContext* dev, char* ifNameOut, char* toolNameOut,
                                           int32_t* chipFlag) MPDLL_NOEXCEPT;
/* Writes text into out (MPDLL_COMMAND_SIZE bytes) with its first "wlan0" replaced by the
 * interface name and then its first "iwpriv" by the tool word (each only
 * when the record's field is set); a result longer than 2047 characters is
 * cut there, and out always gets a terminator. Returns 0 (also when cut);
 * MPDLL_E_ARGUMENT for a NULL pointer. */
MPDLL_API int32_t MPDLL_CALL mp_command_s2s(DevContext* dev, const char* text, char* out) MPDLL_NOEXCEPT;
/* The catalogue text of commandId (0 to 33, 100 and 101; 33 is
 * "filter_clean" for the chip MXR4700LA). When the low byte of raw is 0 the
 * names are put in as mp_command_s2s does (terminated, at most 2047
 * characters); otherwise the template is written as it stands WITHOUT a
 * terminator. Returns 0; MPDLL_E_COMMAND_ID for another identifier (out
 * untouched); MPDLL_E_ARGUMENT for a NULL pointer. */
MPDLL_API int32_t MPDLL_CALL mp_command_c2s(DevContext* dev, uint32_t commandId, char* out,
                                           int32_t raw) MPDLL_NOEXCEPT;

/* ---- Rate and channel names --------------------------------------------------- */
/* The driver's rate code of a rate name or code text, compared whole and
 * without regard to case: "1M" 2, "2M" 4, "5.5M" 11, "11M" 22, "6M" 12 ...
 * "54M" 108 (500 kbit/s units), "MCS0" 128 ... "MCS15" 143, or those numbers
 * as text. Anything else, NULL included, gives 135 (MCS7). */
MPDLL_API int32_t MPDLL_CALL mp_rate_s2i(const char* rateText) MPDLL_NOEXCEPT;
/* The channel number of a text: every digit in it counts, wherever it stands
 * ("ch 1, 40M" reads 140; only the first 19 digits are read). Up to 200 it
 * is the channel itself; 2412 to 2484 is a 2.4 GHz centre frequency (2484
 * is 14); anything else is taken for a 5 GHz one: (value - 5180) / 5 + 36,
 * truncated toward zero. NULL, no digit or a value above 2147483647 gives 3. */
MPDLL_API int32_t MPDLL_CALL mp_channel_s2i(const char* channelText) MPDLL_NOEXCEPT;

/* ---- Chip capability (value buffers: up to MPDLL_RESPONSE_SIZE bytes) -------------- */
/* Each runs "cat /proc/IF/mib_rf | grep MIMO_TR_hw_support" (or "grep
 * chipVersion"), IF being dev->ifName as it is (an empty one is not replaced
 * by "wlan0"). UDP: the reply must hold "ok" (else MPDLL_E_REPLY and nothing
 * more is sent), then "flash read" fetches the output, "data:    NAME:VALUE"
 * closed by a BEL. Telnet and serial read the answer in its normal form
 * (FormatBuffer), so the value comes upper-cased and without blanks. The
 * output gets the value and a terminator: at most 16384 bytes, written only
 * on success. MPDLL_E_REPLY when no value can be read. */
MPDLL_API int32_t MPDLL_CALL GetHwSupport(DevContext* dev, char* supportText) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL GetChipVersion(DevContext* dev, char* versionText) MPDLL_NOEXCEPT;

/* ---- Setting commands --------------------------------------------------------- */
/* Each runs one catalogue line, "iwpriv wlan0 mp_NAME ARGUMENTS" with the
 * board's names put in (and chipModel upper-cased), and waits for its answer.
 * UDP: 0 when the reply holds the lower-case "ok", else MPDLL_E_REPLY.
 * Telnet and serial: 0 once the exchange completed, whatever the board
 * printed. MPDLL_E_ARGUMENT for NULL dev or text, or a line longer than 2047
 * characters (nothing sent); otherwise SendCommand's failure.
 * mp_rate and mp_channel send the numbers mp_rate_s2i and mp_channel_s2i
 * give; mp_bandwidth sends "40M=bw40,shortGI=shortGI", mp_txpower
 * "patha=A,pathb=B", mp_txpower_a the text after "mp_txpower", mp_phypara
 * "xcap=X"; the others send their text as it is. */
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

/* ---- Receive filter commands (address outputs: MPDLL_MAC_TEXT_SIZE bytes each) -- */
/* Each sends one word through mp_arx and returns what mp_arx returns:
 * "start", "stop", "filter_init", "filter_clean", "filter_DA=ADDRESS",
 * "filter_SA=ADDRESS", "filter_BSSID=ADDRESS". */
MPDLL_API int32_t MPDLL_CALL mp_arx_start(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_stop(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_init(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_clean(DevContext* dev) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_da(DevContext* dev, const char* address) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_sa(DevContext* dev, const char* address) MPDLL_NOEXCEPT;
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_bssid(DevContext* dev, const char* address) MPDLL_NOEXCEPT;
/* Runs "iwpriv wlan0 mp_arx filter_print" ("filter_clean" for the chip
 * MXR4700LA, which has no report) and reads the report's SA, DA and BSSID
 * from its normal form (upper-cased) into saOut, daOut and bssidOut: at most
 * 17 characters and a terminator each, written as each field is read, also
 * when a later one fails (MPDLL_E_REPLY). UDP: returns 0 once the line ran,
 * whatever the reply, and the outputs keep their texts. */
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_print(DevContext* dev, char* daOut, char* saOut,
                                                char* bssidOut) MPDLL_NOEXCEPT;

/* ---- Counter and sensor queries ------------------------------------------------- */
/* Runs "iwpriv wlan0 mp_query" and reads the four counters: over UDP from
 * the reply "Tx OK:%d, Tx Fail:%d, Rx OK:%d, CRC error:%d", over telnet and
 * serial from the normal form ("TXOK:..,TXFAIL:..,RXOK:..,CRCERROR:..", a
 * label before it allowed). Each output is written as it is read, also when
 * a later one fails (MPDLL_E_REPLY). */
MPDLL_API int32_t MPDLL_CALL mp_query(DevContext* dev, int32_t* txOk, int32_t* txFail, int32_t* rxOk,
                                     int32_t* crcError) MPDLL_NOEXCEPT;
/* Runs "iwpriv wlan0 mp_ther" with a 1000 ms wait (the meter settles) and
 * reads "LABEL:NUMBER" from the normal form into *thermal. UDP: returns
 * IsBufferOk of the reply and *thermal is not written. */
MPDLL_API int32_t MPDLL_CALL mp_ther(DevContext* dev, int32_t* thermal) MPDLL_NOEXCEPT;
/* Runs "iwpriv wlan0 mp_tssi" and reads the number: over UDP at the start of
 * the reply, over telnet and serial after a label in the normal form.
 * MPDLL_E_REPLY when it cannot be read. */
MPDLL_API int32_t MPDLL_CALL mp_tssi(DevContext* dev, int32_t* tssi) MPDLL_NOEXCEPT;
/* mp_pwrtrk with "ther=THERMAL" when thermal is 7 to 29, else "start". */
MPDLL_API int32_t MPDLL_CALL mp_pwrtrk_start(DevContext* dev, int32_t thermal) MPDLL_NOEXCEPT;
/* mp_pwrtrk with "stop". */
MPDLL_API int32_t MPDLL_CALL mp_pwrtrk_stop(DevContext* dev) MPDLL_NOEXCEPT;

/* ---- Transmit and receive tests, power tracking ------------------------------- */
/* The procedures run their steps in order; the first step that fails ends
 * the procedure with its status, and what earlier steps set on the board
 * stays set. NULL dev or a NULL required text: MPDLL_E_ARGUMENT. */

/* mp_bandwidth, mp_channel, mp_rate, mp_ant_tx, mp_txpower, then mp_ctx with
 * "time=T" (time > 0), "count=C" (count > 0), the mode's word (txMode 1:
 * none, 2 "stone", 3 "cs", any other "pkt") and "background", joined by
 * commas. */
MPDLL_API int32_t MPDLL_CALL TxStart(DevContext* dev, uint32_t txMode, int32_t bw40, int32_t shortGI,
                                    const char* channel, const char* rate, const char* antenna, int32_t powerA,
                                    int32_t powerB, int32_t count, int32_t time) MPDLL_NOEXCEPT;
/* mp_ctx with "stop". */
MPDLL_API int32_t MPDLL_CALL TxStop(DevContext* dev) MPDLL_NOEXCEPT;
/* mp_arx_filter_clean (a filter left from an earlier test), mp_bandwidth,
 * mp_channel, mp_ant_rx, mp_arx_start. */
MPDLL_API int32_t MPDLL_CALL RxStart(DevContext* dev, int32_t bw40, int32_t shortGI, const char* channel,
                                    const char* antenna) MPDLL_NOEXCEPT;
/* mp_bandwidth, mp_channel, mp_ant_rx, mp_arx_filter_init, then the filters
 * in the order SA, DA, BSSID (a NULL or empty address sets none of its
 * kind), mp_arx_start. No filter is cleaned first. */
MPDLL_API int32_t MPDLL_CALL RxStartWithFilter(DevContext* dev, int32_t bw40, int32_t shortGI,
                                              const char* channel, const char* antenna, const char* filterDA,
                                              const char* filterSA, const char* filterBSSID) MPDLL_NOEXCEPT;
/* mp_query, keeping only the receive counters. */
MPDLL_API int32_t MPDLL_CALL RxQuery(DevContext* dev, int32_t* rxOk, int32_t* crcError) MPDLL_NOEXCEPT;
/* mp_arx_start: starting reception again restarts the board's counting. */
MPDLL_API int32_t MPDLL_CALL RxResetCounter(DevContext* dev) MPDLL_NOEXCEPT;
/* mp_arx_filter_clean, mp_arx_stop. */
MPDLL_API int32_t MPDLL_CALL RxStop(DevContext* dev) MPDLL_NOEXCEPT;
/* mp_pwrtrk with "ther=THERMAL" when thermal is 7 to 29, else "start". */
MPDLL_API int32_t MPDLL_CALL PowerTrackingOn(DevContext* dev, int32_t thermal) MPDLL_NOEXCEPT;
/* mp_ther. */
MPDLL_API int32_t MPDLL_CALL PowerTrackingQuery(DevContext* dev, int32_t* thermalOut) MPDLL_NOEXCEPT;
/* mp_pwrtrk with "stop". */
MPDLL_API int32_t MPDLL_CALL PowerTrackingOff(DevContext* dev) MPDLL_NOEXCEPT;

/* ---- Flash parameters and RF registers (valueOut: up to MPDLL_RESPONSE_SIZE bytes) */
/* These lines are sent as written: no board names are put in. */

/* Runs "flash get NAME". UDP: the reply must hold "ok" (else MPDLL_E_REPLY),
 * then "flash read" must answer "data:NAME=VALUE" closed by a BEL, NAME
 * exactly as asked. Telnet and serial: the raw answer "ANYTHING=VALUE".
 * VALUE is read up to white space (or the BEL); valueOut gets it and a
 * terminator, at most 16384 bytes, only on success. MPDLL_E_REPLY when no
 * value can be read. */
MPDLL_API int32_t MPDLL_CALL FlashGet(DevContext* dev, const char* paramName, char* valueOut) MPDLL_NOEXCEPT;
/* Runs "flash set NAME VALUE" with a 500 ms wait (the board writes its
 * flash). The answer is not judged, over UDP either: 0 once the exchange
 * completed. */
MPDLL_API int32_t MPDLL_CALL FlashSet(DevContext* dev, const char* paramName, const char* paramValue) MPDLL_NOEXCEPT;
/* Runs "irf SEL1 SEL2" (UDP: "ok" needed, then "flash read") and reads four
 * decimal numbers b1..b4, most significant first: over UDP from
 * "data:wlan0     read_rf:b1  b2  b3  b4  " closed by a BEL, over telnet and
 * serial from "LABEL:b1 b2 b3 b4". *regValueOut gets
 * ((b1 << 8 | b2) << 8 | b3) << 8 | b4 in unsigned 32-bit arithmetic, the
 * numbers not masked to a byte, only on success; else MPDLL_E_REPLY. */
MPDLL_API int32_t MPDLL_CALL RegisterGet(DevContext* dev, int32_t regSel1, int32_t regSel2,
                                        uint32_t* regValueOut) MPDLL_NOEXCEPT;
/* Runs "orf SEL1 SEL2 VALUE", VALUE in hexadecimal without "0x". UDP: 0 when
 * the reply holds "ok", else MPDLL_E_REPLY; telnet and serial: 0 once the
 * exchange completed. */
MPDLL_API int32_t MPDLL_CALL RegisterSet(DevContext* dev, int32_t regSel1, int32_t regSel2,
                                        uint32_t regValue) MPDLL_NOEXCEPT;

/* ---- Transmit power index tables --------------------------------------------- */
/* Pure conversions: no record, no connection. Every one returns 0 (the
 * digit exports excepted); a NULL table or text makes a converter do nothing.
 * Texts hold two hexadecimal digits per entry and are read only up to their
 * terminator; tables and texts may hold any count of entries. Difference
 * tables hold the B difference (-8..7) in the high digit and the A difference
 * in the low one. */

/* values[i] = entry i of hexText for i < count; an entry without a
 * hexadecimal digit (or past the text's end) leaves values[i] as it was. */
MPDLL_API int32_t MPDLL_CALL Hex2Dec(int32_t count, const char* hexText, int32_t* values) MPDLL_NOEXCEPT;
/* Reads count entries of the plain and base texts as Hex2Dec does (an
 * unreadable entry keeps the caller's value), and fills each group table
 * with its base value plus the difference digit of the matching text
 * (group1A[i] = baseA[i] + low digit of hexDiff1 entry i, group1B[i] =
 * baseB[i] + its high digit, and so on; a missing digit adds 0). */
MPDLL_API int32_t MPDLL_CALL DecPowerIndex(int32_t count, const char* hexPlain1, const char* hexPlain2,
                                          const char* hexBaseA, const char* hexBaseB, const char* hexDiff1,
                                          const char* hexDiff2, const char* hexDiff3, int32_t* plain1,
                                          int32_t* plain2, int32_t* baseA, int32_t* baseB, int32_t* group1A,
                                          int32_t* group1B, int32_t* group2A, int32_t* group2B,
                                          int32_t* group3A, int32_t* group3B) MPDLL_NOEXCEPT;
/* The other way. HexPowerIndex
 * writes exactly 2 * count characters and a terminator into each output
 * (room: 2 * count + 1 bytes): a plain or base value outside 0..255 is written
 * clamped to that range (one below 16 with a blank in front), a difference
 * (group minus base) outside -8..7 as the digit 0, a high difference digit 0
 * as a blank, and a count of 0 or less gives seven empty texts. */
MPDLL_API int32_t MPDLL_CALL HexPowerIndex(int32_t count, const int32_t* plain1, const int32_t* plain2,
                                          const int32_t* baseA, const int32_t* baseB, const int32_t* group1A,
                                          const int32_t* group1B, const int32_t* group2A,
                                          const int32_t* group2B, const int32_t* group3A,
                                          const int32_t* group3B, char* hexPlain1, char* hexPlain2,
                                          char* hexBaseA, char* hexBaseB, char* hexDiff1, char* hexDiff2,
                                          char* hexDiff3) MPDLL_NOEXCEPT;
/* The difference digit of a decimal text (white space, a sign, digits; no
 * digits read as 0): -8..-1 give '8'..'F', 0..7 give '0'..'7'; a value
 * outside -8..7, and NULL, give '0'. */
MPDLL_API char MPDLL_CALL DiffDec2Hex(const char* decimalText) MPDLL_NOEXCEPT;
/* The difference (-8..7) of one digit of pair: pair[0] when the low byte of
 * highDigit is not 0, else pair[1] (0 when pair is ""). A character that is
 * no hexadecimal digit, and NULL, give 0. */
MPDLL_API int32_t MPDLL_CALL DiffHex2Dec(const char* pair, int32_t highDigit) MPDLL_NOEXCEPT;

/* ---- Extensions (beyond the 69 exports above) --------------------------------- */
/* Every extension is named Mpdll... and is listed after the 69 in the export
 * list; a caller that only knows the 69 never needs them.
 *
 * The log handler sees, for every record, each event of its connection:
 *   MPDLL_EVENT_OPEN_STEP    a step of OpenDev begins; bytes: its name
 *                            ("connect", "negotiation", "user", "password",
 *                            "first command", "serial port", "udp")
 *   MPDLL_EVENT_SENT         bytes exactly as they went to the board (telnet
 *                            commands included, one datagram per event)
 *   MPDLL_EVENT_RECEIVED     bytes exactly as they came from the board
 *   MPDLL_EVENT_CALL_END     an export that talks to the board ended (OpenDev,
 *                            CloseDev, SendCommand, TelnetSnd, TelnetRcv,
 *                            SerialSnd, SerialRcv; the export a caller called,
 *                            never the ones it runs inside); bytes: its name,
 *                            status: what it returned
 *   MPDLL_EVENT_OPEN_FAILED  OpenDev failed; bytes: "STEP: REASON", status:
 *                            what OpenDev returns
 * elapsedMs counts from the moment the record's last OpenDev began. While an
 * open runs, the record's password is masked with '*' wherever it shows in
 * bytes sent or received. */
#define MPDLL_EVENT_OPEN_STEP 1
#define MPDLL_EVENT_SENT 2
#define MPDLL_EVENT_RECEIVED 3
#define MPDLL_EVENT_CALL_END 4
#define MPDLL_EVENT_OPEN_FAILED 5

/* bytes holds length bytes (not terminated; may hold any byte) and lives only
 * for the call. The handler runs on the thread that called the export, while
 * that export runs; several threads may run it at once for different records,
 * so it must be safe to call concurrently. It may read the record's fields
 * and call the conversions, MpdllOpenFailure and MpdllLibraryVersion. It must
 * not call an export that talks to a board (OpenDev, CloseDev, SendCommand,
 * the transports, the test-mode exports), for this record or any other: the
 * events of that call would be told as this record's. It must not call
 * MpdllSetLogHandler (that waits for running handlers to return). It should
 * return quickly: the board's exchange waits for it. */
typedef void(MPDLL_CALL* MpdllLogHandler)(void* context, const DevContext* dev, int32_t kind, int32_t status,
                                          const char* bytes, int32_t length, uint32_t elapsedMs);

/* Sets the process-wide handler and the context it is given (NULL stops the
 * events). Once it returns, the previous handler is no longer running and is
 * never called again. Returns MPDLL_OK. With no handler set the library costs
 * nothing measurable more. Not to be called from inside the handler. */
MPDLL_API int32_t MPDLL_CALL MpdllSetLogHandler(MpdllLogHandler handler, void* context) MPDLL_NOEXCEPT;

/* Why the record's last OpenDev failed, kept from that failure until the
 * record's next OpenDev or CloseDev: the step ("connect", "negotiation",
 * "user", "password", "first command", "serial port"), the reason ("the
 * login was refused", ...) and the last bytes the board said (control bytes
 * escaped as \r, \n, \xNN; the password never). Each output, when not
 * NULL, gets a terminated text cut to its size. Returns 1 when a failure is
 * kept, 0 when none is (the texts empty), MPDLL_E_ARGUMENT for a NULL record. */
MPDLL_API int32_t MPDLL_CALL MpdllOpenFailure(const DevContext* dev, char* step, int32_t stepSize, char* reason,
                                             int32_t reasonSize, char* lastHeard,
                                             int32_t lastHeardSize) MPDLL_NOEXCEPT;

/* The library's version as "MAJOR.MINOR.PATCH" (a static text). */
MPDLL_API const char* MPDLL_CALL MpdllLibraryVersion(void) MPDLL_NOEXCEPT;

/* Masks a secret (the login password) in a text a program shows or keeps,
 * the way the library masks it in its own texts: in the first `length` bytes
 * of text, every occurrence of secret, and a start of secret that those
 * bytes end with (an echo that stopped short, a text cut off inside it), is
 * overwritten with '*', one '*' per byte, so the text keeps its length.
 * text may hold any byte, a NUL included, and needs no terminator: only
 * text[0] to text[length - 1] are read or written, never a byte before or
 * after them. secret is read up to its terminator; an empty one masks
 * nothing. A piece of secret that begins before the text does (the text is
 * the tail of a longer one) cannot be told from other bytes and stays: mask
 * a text whole before keeping only its tail. Returns MPDLL_OK (also for a
 * length of 0); MPDLL_E_ARGUMENT, with text untouched, for a NULL text or
 * secret or a negative length. */
MPDLL_API int32_t MPDLL_CALL MpdllMaskSecret(char* text, int32_t length, const char* secret) MPDLL_NOEXCEPT;

/* Codes of MpdllSetSerialLine. Parity and stop bits go into dcb as they
 * are (the values of its Parity and StopBits fields). */
#define MPDLL_PARITY_NONE 0
#define MPDLL_PARITY_ODD 1
#define MPDLL_PARITY_EVEN 2
#define MPDLL_PARITY_MARK 3
#define MPDLL_PARITY_SPACE 4
#define MPDLL_STOP_BITS_ONE 0
#define MPDLL_STOP_BITS_ONE_AND_HALF 1
#define MPDLL_STOP_BITS_TWO 2
#define MPDLL_FLOW_NONE 0    /* no flow control */
#define MPDLL_FLOW_RTSCTS 1  /* hardware: RTS and CTS */
#define MPDLL_FLOW_XONXOFF 2 /* software: XON (0x11) and XOFF (0x13) */

/* Fills dev->dcb, the serial line settings OpenDev applies to the port, from
 * a line speed and the codes above. The dcb is replaced whole: DCBlength is
 * its size, BaudRate baud, fBinary 1, ByteSize dataBits, Parity parity and
 * fParity 1 unless parity is MPDLL_PARITY_NONE, StopBits stopBits;
 * MPDLL_FLOW_RTSCTS sets fOutxCtsFlow 1 and fRtsControl 2 (handshake),
 * MPDLL_FLOW_XONXOFF sets fOutX and fInX 1, XonChar 0x11 and XoffChar 0x13;
 * every other field of dcb is 0. Nothing else of the record changes and
 * nothing is sent: the settings take effect at the next OpenDev (a port
 * that does not take a baud rate keeps its own then, as OpenDev says).
 * Returns MPDLL_OK; MPDLL_E_ARGUMENT, with the record untouched, for a NULL
 * dev, a baud of 0, dataBits outside 5 to 8, or a parity, stopBits or flow
 * that is none of the codes above. */
MPDLL_API int32_t MPDLL_CALL MpdllSetSerialLine(DevContext* dev, uint32_t baud, int32_t dataBits, int32_t parity,
                                               int32_t stopBits, int32_t flow) MPDLL_NOEXCEPT;

/* The longest settle MpdllSetPromptSettle takes, in ms. */
#define MPDLL_PROMPT_SETTLE_MAX_MS 2000

/* The settle after the prompt, for a console whose answers can hold the
 * prompt's text at the end of a write ("XCAP=1\n# " and, a moment later,
 * "trim\n# "): without it the answer ends at that text and its rest becomes
 * the next line's answer, returned as a success. With milliseconds above 0,
 * once the text received ends with a prompt that ends the line's answer,
 * the receive goes on until the board has sent nothing for that long; text
 * that comes meanwhile joins the answer, which is framed again whole by the
 * same rules, and the prompt that then ends the text ends it. Text that no
 * prompt ends (a kernel message on the console after the prompt) is not
 * the line's: once the board has been quiet that long, or the receive's
 * time ends, the answer is the one the earlier prompt ended. The receive
 * never goes past its own time (telnet 5 to 6 s, serial 5000 ms). A serial
 * console that delivers the prompt and such a message in one read (a pause
 * shorter than the record's read interval) gives MPDLL_E_SERIAL_TIMEOUT, as
 * without the settle. The timing trade: every answer costs the settle once
 * more, so 0 (the default) is right for a board whose prompt only ever ends
 * its answers.
 * It applies to every line the record runs over telnet or serial:
 * SendCommand and every export built on it. It does not apply to the quiet
 * wait (MPDLL_WAIT_QUIET), to an empty prompt (the first data ends the
 * answer), nor to TelnetRcv and SerialRcv, which end at the prompt as
 * always.
 * Reads dev->mode and dev->openFlags; changes only what the library keeps
 * for the record's open connection, which lasts until that connection
 * closes: CloseDev, and OpenDev (which opens it afresh), put it back to 0.
 * So call it after OpenDev; telnet's firstCommand runs without it.
 * Returns MPDLL_OK; MPDLL_E_ARGUMENT for a NULL dev or milliseconds outside
 * 0 to MPDLL_PROMPT_SETTLE_MAX_MS; MPDLL_E_MODE for a record whose mode is
 * neither telnet nor serial (a UDP reply is one datagram and has no
 * prompt); MPDLL_E_OPEN when the record's connection of its mode is not
 * open. Nothing changes on a failure. */
MPDLL_API int32_t MPDLL_CALL MpdllSetPromptSettle(DevContext* dev, int32_t milliseconds) MPDLL_NOEXCEPT;

#if defined(__cplusplus)
}
#endif

#endif /* MPDLL_MPDLL_H */
