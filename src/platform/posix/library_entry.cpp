// Library load and unload on POSIX: constructor and destructor functions
// stand in for the Windows entry point.
#include "platform/library_lifetime.h"

namespace {
__attribute__((constructor)) void on_load() { mpdll::library_attach(); }
__attribute__((destructor)) void on_unload() { mpdll::library_detach(); }
}  // namespace
