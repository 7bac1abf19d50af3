// Library load and unload: debugger texts and the socket layer.
#include "platform/library_lifetime.h"

#include "platform/platform.h"

namespace mpdll {

void library_attach() {
    platform::debug_text("Enter MP DLL");
    if (!platform::socket_layer_start()) platform::debug_text("couldn't find a useable winsock.dll\n");
}

void library_detach() {
    platform::debug_text("Leave MP DLL");
    platform::socket_layer_stop();
}

}  // namespace mpdll
