// An in-process fake board for unit tests of the command and procedure
// layers: no network. For its lifetime it puts its own socket table in place
// of the platform's (restored by the destructor), answers each command line
// through a responder the test sets, and records every line sent.
//
// Telnet (mode 2): a line that ends with CR (or LF) queues the echo of the
// line, "\r\n", the responder's output and the prompt, for the following
// receives. UDP (mode 1): each datagram sent is one line; the responder's
// output comes back as one datagram, or none when the output is empty.
//
// One ScriptedBoard at a time; not for use from several threads.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "mpdll/mpdll.h"

namespace mpdll::test {

class ScriptedBoard {
public:
    explicit ScriptedBoard(int mode /*1 UDP or 2 telnet*/, std::string prompt = "# ");
    ~ScriptedBoard();
    ScriptedBoard(const ScriptedBoard&) = delete;
    ScriptedBoard& operator=(const ScriptedBoard&) = delete;

    // Zero-filled record with mode, prompt and fake socket handles set, ready
    // for SendCommand.
    DevContext& dev();
    // Output for each line sent (default: empty output).
    void respond(std::function<std::string(std::string_view line)> responder);
    // Lines sent, without line end.
    std::vector<std::string> sent() const;

    // The socket table's view of the board (used by the fake socket calls).
    void receive_bytes(const char* data, int length);
    void receive_datagram(const char* data, int length);
    bool has_output(MpSocket s) const;
    int take_output(MpSocket s, char* data, int capacity);

private:
    DevContext dev_{};
    std::string prompt_;
    std::function<std::string(std::string_view)> responder_;
    std::vector<std::string> sent_;
    std::string partialLine_;
    bool lastWasCr_ = false;
    std::string telnetOutput_;
    std::deque<std::string> datagrams_;
};

}  // namespace mpdll::test
