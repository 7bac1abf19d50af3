// A helper program run for the length of a test (busybox telnetd, socat),
// stopped by its own process id when the test ends.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace mpdll::realpeers {

class PeerProcess {
  public:
    // Starts argv[0] (looked up on PATH) with the given arguments and extra
    // environment entries ("NAME=value"), in a process group of its own.
    PeerProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment);
    ~PeerProcess();  // terminates the process group and reaps the process
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool running() const;

  private:
    pid_t pid_ = -1;
};

// busybox telnetd on 127.0.0.1:port serving the stand-in login program
// (board-tools/board-login) and the board shell behind it.
std::unique_ptr<PeerProcess> start_telnetd(int port, const std::vector<std::string>& environment);
// The stand-in board tools.
std::string board_tool(const std::string& name);

// True once something accepts TCP connections on 127.0.0.1:port (within ms).
bool wait_for_listener(int port, int ms);
// True once the path exists (within ms).
bool wait_for_path(const std::string& path, int ms);
// True when the program is found on PATH.
bool have_program(const std::string& name);

}  // namespace mpdll::realpeers
