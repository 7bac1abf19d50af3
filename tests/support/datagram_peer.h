// A UDP peer on a loopback address: the board on port 9034, or another
// sender. It answers each datagram from its own thread with the datagrams
// the test's reply function returns, after the delay that function names,
// from its own socket or another peer's.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace mpdll::test {

struct DatagramReply {
    int delayMs = 0;
    std::vector<std::string> datagrams;  // none: no answer
};

class DatagramPeer {
  public:
    // port 0: one the system picks.
    DatagramPeer(const std::string& address, std::uint16_t port);
    ~DatagramPeer();
    DatagramPeer(const DatagramPeer&) = delete;
    DatagramPeer& operator=(const DatagramPeer&) = delete;

    bool bound() const { return bound_; }
    std::uint16_t port() const { return port_; }
    // Answers every datagram that comes in; lines() counts them. With
    // replyFrom, the answers go out of that peer's socket instead (a board
    // that listens on one port and answers from another).
    void answer(std::function<DatagramReply(const std::string&)> reply, const DatagramPeer* replyFrom = nullptr);
    int lines() const { return lines_; }
    // Sends text to address:port from this peer's socket.
    void send_to(const std::string& address, std::uint16_t port, const std::string& text) const;

  private:
    int fd_ = -1;
    bool bound_ = false;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> lines_{0};
    std::thread thread_;
};

}  // namespace mpdll::test
