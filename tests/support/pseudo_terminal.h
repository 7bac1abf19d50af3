// A pseudo-terminal whose slave the library opens by its path while a test
// plays the console on the master side, from a thread of its own.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "mpdll/mpdll.h"

namespace mpdll::test {

class PseudoTerminal {
  public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Empty when no pseudo-terminal could be made.
    const std::string& path() const { return path_; }
    // The test's own descriptor of the slave side, open all along.
    int slave() const { return slave_; }

    // Reads until CR, or until timeoutMs pass.
    std::string read_line(int timeoutMs = 3000);
    void write(const std::string& text);
    // Runs script on the console's thread (after the one before has ended);
    // stopping() turns true when the test ends (the destructor waits for the
    // script, and so does finish()).
    void play(std::function<void(PseudoTerminal&)> script);
    void finish();
    bool stopping() const { return stop_; }

  private:
    int master_ = -1, slave_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A zero-filled serial record for the console at path (kept alive by the
// caller): 115200 baud, 8 bits, sendTimeout 500 ms, the given prompt.
std::unique_ptr<DevContext> serial_record(const std::string& path, const char* prompt);

}  // namespace mpdll::test
