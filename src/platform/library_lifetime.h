// Library load and unload: called by the platform's library entry point.
#pragma once

namespace mpdll {
// Writes "Enter MP DLL" and starts the socket layer (version 2.2).
void library_attach();
// Writes "Leave MP DLL" and stops the socket layer.
void library_detach();
}  // namespace mpdll
