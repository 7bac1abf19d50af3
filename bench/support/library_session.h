// One board connection through the library's own exports: a DevContext
// filled for telnet, UDP or serial, opened with OpenDev and closed on
// destruction.
#pragma once

#include <memory>
#include <string>

#include "mpdll/mpdll.h"

namespace mpbench {

inline constexpr const char* kUser = "root";
inline constexpr const char* kPassword = "root";
inline constexpr const char* kPrompt = "# ";
// The command every round trip runs: a counter query, a typical test step.
inline constexpr const char* kCommand = "iwpriv wlan0 mp_query";

// Fills a zeroed record for a simulated board's telnet port on loopback:
// mode, address, login and prompt.
void fill_telnet_record(DevContext& dev, int port);

class LibrarySession {
  public:
    static std::unique_ptr<LibrarySession> telnet(int port);
    static std::unique_ptr<LibrarySession> udp(int port);
    // immediateReads: port time-outs that return what is queued at once
    // (interval all bits set, no totals) instead of the default 100 ms
    // quiet interval per read.
    static std::unique_ptr<LibrarySession> serial(const std::string& path, bool immediateReads);

    ~LibrarySession();
    LibrarySession(const LibrarySession&) = delete;
    LibrarySession& operator=(const LibrarySession&) = delete;

    // OpenDev's result.
    int open_result() const { return openResult_; }
    bool is_open() const { return openResult_ == MPDLL_OK; }
    DevContext& dev() { return *dev_; }

    // SendCommand with the library's usual arguments (16384-byte response,
    // prompt cut off).
    int send(const char* command, int wait = 0);
    const char* response() const { return response_.get(); }

  private:
    LibrarySession();
    void open(int udpPort);

    std::unique_ptr<DevContext> dev_;
    std::unique_ptr<char[]> response_;
    std::string portName_;
    int openResult_ = MPDLL_E_OPEN;
};

}  // namespace mpbench
