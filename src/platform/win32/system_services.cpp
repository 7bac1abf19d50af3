// Win32 named objects, clock, sleep and debugger output.
#include <windows.h>

#include "platform/platform.h"

namespace mpdll::platform {

MpHandle create_named_mutex(const char* name) { return ::CreateMutexA(nullptr, FALSE, name); }

MpHandle create_named_event(const char* name, bool manualReset) {
    return ::CreateEventA(nullptr, manualReset ? TRUE : FALSE, FALSE, name);
}

void close_named(MpHandle h) {
    if (h) ::CloseHandle(h);
}

std::uint64_t monotonic_ms() { return ::GetTickCount64(); }

void sleep_ms(int ms) { ::Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }

void debug_text(const char* text) { ::OutputDebugStringA(text); }

}  // namespace mpdll::platform
