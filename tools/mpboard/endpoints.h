// The board's endpoints as the operating system gives them: bound sockets
// and the serial console's pseudo-terminal. Each throws std::runtime_error.
#pragma once

#include <string>

namespace mpboard {

// A socket of `type` (SOCK_STREAM listens) bound to address:port (0 = any).
int bind_socket(int type, const std::string& address, int port);
int bound_port(int fd);

// A pseudo-terminal in raw mode. `peer_fd` holds its terminal side open so
// the console lives between users; `link`, when set, is a symlink to `path`.
struct ConsoleTerminal {
    int fd = -1;
    int peer_fd = -1;
    std::string path;
};
ConsoleTerminal open_console_terminal(const std::string& link);

}  // namespace mpboard
