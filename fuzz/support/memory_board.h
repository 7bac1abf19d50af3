// A board that lives in memory, for the harnesses that feed board answers to
// the library. It stands in for the socket and serial tables of the platform
// layer: every line the library sends gets the next scripted answer, so the
// fuzzer decides exactly what the board says back.
//
// Telnet and serial: a line ends at its CR; the board answers with the echo
// of the line (when echo is on), CR LF, the scripted answer and the prompt,
// handed out at most chunkSize bytes per read. UDP: each datagram sent gets
// the next answer as one datagram (an empty answer list means silence).
#pragma once

#include <string>
#include <vector>

#include "mpdll/mpdll.h"

namespace mpdll::fuzzing {

inline constexpr const char* kBoardPrompt = "# ";

struct BoardScript {
    std::vector<std::string> answers;  // one per line sent, in order
    bool echo = true;
    int chunkSize = 16384;             // bytes per receive, at least 1
};

class MemoryBoard {
public:
    // Swaps the platform's socket and serial tables for the board's own.
    MemoryBoard();
    // Puts the platform's tables back.
    ~MemoryBoard();
    MemoryBoard(const MemoryBoard&) = delete;
    MemoryBoard& operator=(const MemoryBoard&) = delete;

    // Forgets everything sent and received and takes a new script.
    void reset(BoardScript script);
    // Fills the record as an open connection of this mode (1, 2 or 4) to this board.
    static void connect(DevContext& dev, int mode);
    // Lines (telnet, serial) or datagrams (UDP) the library sent so far.
    const std::vector<std::string>& received_lines() const;
};

}  // namespace mpdll::fuzzing
