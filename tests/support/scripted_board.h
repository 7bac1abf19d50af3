// An in-process fake board for the unit tests of the command and procedure
// layers and for the fuzz harnesses that feed board answers to the library:
// no network, no port. For its lifetime it puts its own socket and serial
// tables in place of the platform's, answers each line through a responder
// and records every line sent.
//
// Telnet and serial: a line ends at its CR (over telnet a doubled 0xFF is
// one byte, and 0xFF bytes the board writes go out doubled); the board answers with the echo
// of the line (when echo is on), CR LF and the responder's output as one
// write, then the prompt as a write of its own. A read never joins two
// writes and hands out at most the chunk size, so the prompt always arrives
// in a read of its own and a NUL in the output cannot hide it. An empty line
// gets CR LF and the prompt and is not recorded. UDP: each datagram sent is
// one line; the responder's output comes back as one datagram, and no output
// (std::nullopt) means silence.
//
// One board at a time; not for use from several threads.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/swapped_platform_ops.h"

namespace mpdll::test {

inline constexpr const char* kBoardPrompt = "# ";

class ScriptedBoard {
  public:
    // What the board writes for a line: an output, or none (nothing between
    // the line end and the prompt; no reply datagram).
    using Responder = std::function<std::optional<std::string>(std::string_view line)>;

    explicit ScriptedBoard(int mode = MPDLL_MODE_TELNET, std::string prompt = kBoardPrompt);
    ~ScriptedBoard();
    ScriptedBoard(const ScriptedBoard&) = delete;
    ScriptedBoard& operator=(const ScriptedBoard&) = delete;

    // Zero-filled record of the constructor's mode, connected to this board.
    DevContext& dev();
    // Fills another record as an open connection of this mode (1 UDP,
    // 2 telnet, 4 serial) to this board.
    void connect(DevContext& dev, int mode) const;

    // Output for each line sent (default: none).
    void respond(Responder responder);
    // Each line sent gets the next of these answers; none after the last.
    void answer_in_turn(std::vector<std::string> answers);
    void set_echo(bool echo);
    // Most bytes one read hands out (at least 1).
    void set_chunk_size(int bytes);
    // Forgets the lines sent and the output not yet read.
    void forget();
    // Lines (telnet, serial) or datagrams (UDP) sent, without line end.
    std::vector<std::string> sent() const;

  private:
    DevContext dev_{};
    std::string prompt_;
    SwappedPlatformOps swappedOps_;
};

}  // namespace mpdll::test
