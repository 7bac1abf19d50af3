// Status codes of the library and what they mean.
#include "status_meaning.h"

#include <mpdll/mpdll.h>

#include <cstring>

namespace mpctl {

std::string status_meaning(std::int32_t status) {
    switch (status) {
    case MPDLL_OK: return "success";
    case MPDLL_E_MODE: return "the connection mode is none of UDP, telnet and serial";
    case MPDLL_E_COMMAND_ID: return "command identifier not in the command catalogue";
    case MPDLL_E_TRANSPORT: return "transport failure: socket wait, UDP send or receive, serial write or read";
    case MPDLL_E_SERIAL_TIMEOUT: return "serial receive: no prompt within 5000 ms, or the port status cannot be read";
    case MPDLL_E_REPLY: return "the board's answer failed its test";
    case MPDLL_E_OPEN_MODE: return "open with a connection mode other than UDP, telnet and serial";
    case MPDLL_E_OPEN: return "the telnet or serial connection could not be made";
    case MPDLL_E_ARGUMENT: return "an argument is missing or too long for its buffer; nothing was sent";
    default: break;
    }
    if (status > 0) {
        return "socket error " + std::to_string(status) + ": " + std::strerror(status);
    }
    return "unknown status";
}

std::string status_text(std::int32_t status) {
    return std::to_string(status) + ": " + status_meaning(status);
}

}  // namespace mpctl
