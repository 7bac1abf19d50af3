// Win32 named objects, clock, sleep and debugger output.
#include <windows.h>

#include "platform/platform.h"

namespace mpdll::platform {
namespace {

// The error of the last failed create on this thread, kept apart from
// GetLastError so that later calls cannot overwrite it.
thread_local int lastNamedError = 0;

MpHandle noted(MpHandle created) {
    if (!created) lastNamedError = static_cast<int>(::GetLastError());
    return created;
}

}  // namespace

MpHandle create_named_mutex(const char* name) { return noted(::CreateMutexA(nullptr, FALSE, name)); }

MpHandle create_named_event(const char* name, bool manualReset) {
    return noted(::CreateEventA(nullptr, manualReset ? TRUE : FALSE, FALSE, name));
}

int named_object_error() { return lastNamedError; }

void close_named(MpHandle h) {
    if (h) ::CloseHandle(h);
}

std::uint64_t monotonic_ms() { return ::GetTickCount64(); }

void sleep_ms(int ms) { ::Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }

void debug_text(const char* text) { ::OutputDebugStringA(text); }

}  // namespace mpdll::platform
