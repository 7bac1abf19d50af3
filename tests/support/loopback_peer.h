// A scripted board on the loopback interface for the connection tests: a
// thread that accepts one telnet connection on 127.0.0.1 (a free port) and
// plays a script against the library, plus the byte-level helpers scripts use.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace connection_test {

// One accepted connection, seen from the board's side.
class PeerLink {
  public:
    explicit PeerLink(int fd) : fd_(fd) {}
    // Writes the bytes in one send() call.
    void write(std::string_view bytes);
    // Reads until the text received holds terminator or the time is up;
    // returns everything read (also when the terminator never came).
    std::string read_until(std::string_view terminator, int timeoutMs = 3000);
    // True when the client closed the connection within timeoutMs.
    bool sees_close(int timeoutMs);
    void close();

  private:
    // One receive within timeoutMs into pending_; false on time-out or close.
    bool receive_some(int timeoutMs);
    std::string take_pending(std::size_t length);

    int fd_;
    std::string pending_;
};

// Plays script on the first connection to a listening socket.
class ScriptedPeer {
  public:
    // port 0 takes a free port; a fixed one throws when it cannot be bound.
    explicit ScriptedPeer(std::function<void(PeerLink&)> script, int port = 0);
    ~ScriptedPeer();
    // "127.0.0.1:PORT", as the record's ipText.
    std::string address() const;
    // Waits for the script to end.
    void join();

  private:
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// Answers command lines like a board shell until the client closes: for
// each line ended by CR it writes the echo of the line, then the output,
// then the prompt, as three separate small writes. An empty line (a second
// CR) gets a line end and the prompt.
void serve_shell(PeerLink& link, std::string_view prompt, const std::function<std::string(std::string_view)>& output);

}  // namespace connection_test
