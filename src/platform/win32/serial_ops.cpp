// Win32 communications-port backend of the serial operations.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "platform/native_ops.h"

namespace mpdll::platform {
namespace {

constexpr std::size_t kPathSize = 50;

// The error of the last failed open or set_line on this thread, kept apart
// from GetLastError so that later calls cannot overwrite it.
thread_local int lastPortError = 0;

MpHandle open_failed(DWORD error) {
    lastPortError = static_cast<int>(error);
    return kInvalidHandle;
}

// Names of more than four characters ("COM10") get the
// device-namespace prefix; the whole path must fit in 50 bytes.
MpHandle open(const char* portName) {
    if (!portName || !*portName) return open_failed(ERROR_INVALID_NAME);
    const std::size_t length = strnlen(portName, kPathSize);
    std::array<char, kPathSize> path{};
    std::string_view prefix = length > 4 ? "\\\\.\\" : "";
    if (prefix.size() + length + 1 > path.size()) return open_failed(ERROR_FILENAME_EXCED_RANGE);
    std::copy(prefix.begin(), prefix.end(), path.begin());
    std::memcpy(path.data() + prefix.size(), portName, length);
    const MpHandle port = ::CreateFileA(path.data(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    return port == INVALID_HANDLE_VALUE ? open_failed(::GetLastError()) : port;
}

bool set_queue_sizes(MpHandle h, std::uint32_t inBytes, std::uint32_t outBytes) {
    return ::SetupComm(h, inBytes, outBytes) != 0;
}

bool set_timeouts(MpHandle h, const MpCommTimeouts& timeouts) {
    COMMTIMEOUTS copy = timeouts;
    return ::SetCommTimeouts(h, &copy) != 0;
}

bool set_line(MpHandle h, const MpDcb& line) {
    DCB copy = line;
    if (::SetCommState(h, &copy)) return true;
    lastPortError = static_cast<int>(::GetLastError());
    return false;
}

bool purge(MpHandle h, unsigned mask) { return ::PurgeComm(h, mask) != 0; }

bool status(MpHandle h, std::uint32_t* inQueue, std::uint32_t* outQueue) {
    DWORD errors = 0;
    COMSTAT state{};
    if (!::ClearCommError(h, &errors, &state)) return false;
    *inQueue = state.cbInQue;
    *outQueue = state.cbOutQue;
    return true;
}

// The port is opened without overlapped I/O, so waiting for input is a short
// sleep between status reads.
void wait_input(MpHandle, int timeoutMs) { ::Sleep(static_cast<DWORD>(std::clamp(timeoutMs, 0, 5))); }

// Reads only what the port already holds, so the read returns at once
// whatever the port time-outs say; the caller's receive loop waits between
// reads within its own time (withinMs is that bound).
int read(MpHandle h, char* data, int capacity, int) {
    DWORD errors = 0;
    COMSTAT state{};
    if (!::ClearCommError(h, &errors, &state)) return -1;
    const DWORD held = std::min<DWORD>(state.cbInQue, static_cast<DWORD>(capacity));
    DWORD got = 0;
    if (held > 0 && !::ReadFile(h, data, held, &got, nullptr)) return -1;
    return static_cast<int>(got);
}

int write(MpHandle h, const char* data, int length) {
    DWORD put = 0;
    if (!::WriteFile(h, data, static_cast<DWORD>(length), &put, nullptr)) return -1;
    return static_cast<int>(put);
}

void close(MpHandle h) { ::CloseHandle(h); }

int last_port_error() { return lastPortError; }

constexpr SerialOps kCommPort{open, set_queue_sizes, set_timeouts, set_line,       purge, status, wait_input,
                              read, write,           close,        last_port_error};

}  // namespace

const SerialOps& native_serial_ops() { return kCommPort; }

}  // namespace mpdll::platform
