// Starting and stopping the real peers, and waiting until they are ready.
#include "peer_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace mpdll::realpeers {
namespace {

bool try_connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

template <typename Ready>
bool wait_until(Ready ready, int ms) {
    for (int waited = 0; waited <= ms; waited += 20) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace

PeerProcess::PeerProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setpgid(0, 0);
        for (const std::string& entry : environment) ::putenv(const_cast<char*>(entry.c_str()));
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
}

PeerProcess::~PeerProcess() {
    if (pid_ <= 0) return;
    ::kill(-pid_, SIGTERM);
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int waited = 0; waited < 100 && ::waitpid(pid_, &status, WNOHANG) == 0; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (::waitpid(pid_, &status, WNOHANG) == 0) {
        ::kill(-pid_, SIGKILL);
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
}

bool PeerProcess::running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

bool wait_for_listener(int port, int ms) {
    return wait_until([port] { return try_connect(port); }, ms);
}

bool wait_for_path(const std::string& path, int ms) {
    return wait_until(
        [&path] {
            struct stat info {};
            return ::stat(path.c_str(), &info) == 0;
        },
        ms);
}

bool have_program(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string board_tool(const std::string& name) {
    return (std::filesystem::path(__FILE__).parent_path() / "board-tools" / name).string();
}

std::unique_ptr<PeerProcess> start_telnetd(int port, const std::vector<std::string>& environment) {
    return std::make_unique<PeerProcess>(
        std::vector<std::string>{"busybox", "telnetd", "-F", "-b", "127.0.0.1:" + std::to_string(port), "-l",
                                 board_tool("board-login"), "-f", board_tool("issue")},
        environment);
}

}  // namespace mpdll::realpeers
