// The DLL entry point: library load and unload.
#include <windows.h>

#include "platform/library_lifetime.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) mpdll::library_attach();
    if (reason == DLL_PROCESS_DETACH) mpdll::library_detach();
    return TRUE;
}
