// Binding the board's sockets and opening its console terminal.
#include "endpoints.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace mpboard {
namespace {

std::runtime_error os_error(const std::string& what) {
    return std::runtime_error("mpboard: " + what + ": " + std::strerror(errno));
}

sockaddr_in ipv4_address(const std::string& address, int port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1)
        throw std::runtime_error("mpboard: not an IPv4 address: " + address);
    return sa;
}

}  // namespace

int bound_port(int fd) {
    sockaddr_in sa{};
    socklen_t size = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &size);
    return ntohs(sa.sin_port);
}

int bind_socket(int type, const std::string& address, int port) {
    int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) throw os_error("socket");
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in sa = ipv4_address(address, port);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
        (type == SOCK_STREAM && ::listen(fd, 16) != 0)) {
        auto error = os_error("cannot bind " + address + ":" + std::to_string(port));
        ::close(fd);
        throw error;
    }
    return fd;
}

ConsoleTerminal open_console_terminal(const std::string& link) {
    ConsoleTerminal console;
    console.fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (console.fd < 0 || ::grantpt(console.fd) != 0 || ::unlockpt(console.fd) != 0 ||
        ::ptsname_r(console.fd, name, sizeof name) != 0) {
        auto error = os_error("pseudo-terminal");
        if (console.fd >= 0) ::close(console.fd);
        throw error;
    }
    console.path = name;
    console.peer_fd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (console.peer_fd < 0) {
        auto error = os_error("open " + console.path);
        ::close(console.fd);
        throw error;
    }
    termios raw{};
    ::tcgetattr(console.peer_fd, &raw);
    ::cfmakeraw(&raw);  // the board's shell echoes; the line itself does not
    ::tcsetattr(console.peer_fd, TCSANOW, &raw);
    if (!link.empty()) {
        struct stat st {};
        if (::lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(link.c_str());
        if (::symlink(console.path.c_str(), link.c_str()) != 0) {
            auto error = os_error("symlink " + link);
            ::close(console.peer_fd);
            ::close(console.fd);
            throw error;
        }
    }
    return console;
}

}  // namespace mpboard
