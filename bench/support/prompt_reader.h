// The raw clients' receive side: reads a socket or a pseudo-terminal until
// the collected text ends with the shell prompt, the way a hand-written
// write-then-read client does. Optionally asks for an immediate ACK after
// every read (TCP_QUICKACK), the only difference between the two raw TCP
// baselines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mpbench {

class PromptReader {
  public:
    PromptReader(int fd, std::string prompt, bool quickAck);

    // Reads until the text read since the call ends with the prompt. Returns
    // the number of bytes read, or -1 on failure, end of file or time-out.
    long read_answer(int timeoutMs);
    // Reads until the text read since the call contains needle (anywhere).
    long read_until(std::string_view needle, int timeoutMs);

    // Text collected by the last call.
    const std::string& text() const { return text_; }
    // read() calls made by the last call that returned data.
    int reads() const { return reads_; }

  private:
    // One poll and read; appends to text_. False on failure, end or time-out.
    bool read_some(int timeoutMs);

    int fd_;
    std::string prompt_;
    bool quickAck_;
    std::string text_;
    int reads_ = 0;
};

// Writes all of data; false on failure.
bool write_all(int fd, std::string_view data);

}  // namespace mpbench
