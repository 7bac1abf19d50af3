// Reads a session recording (asciicast, as MPDLL_RECORD and mpctl --record
// write it) into what two recordings of the same session must share: the
// bytes each way in order, the board's writes between two inputs joined
// (a replay may cut them differently), and the calls' ends.
#pragma once

#include <string>
#include <vector>

namespace mpdll::test {

struct RecordedSession {
    std::vector<std::string> exchanges;  // "i " + bytes sent, "o " + bytes received until the next input
    std::vector<std::string> call_ends;  // "SendCommand 0", ...
};

// Fails the running test when the file cannot be read.
RecordedSession read_recording(const std::string& path);

}  // namespace mpdll::test
