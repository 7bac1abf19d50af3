// One session with the board: opened at the first operation that needs it,
// put into test mode once, closed at the end (one login for a whole plan).
#pragma once

#include "connection_options.h"
#include "operation.h"

#include <mpdll/mpdll.h>

#include <memory>
#include <optional>
#include <string>

namespace mpctl {

// The last line sent and the raw answer, as GetBuffer hands them back, with
// the password masked.
struct Exchange {
    std::string sent;
    std::string received;
};

// A step of the session the caller did not ask for by name: the connection
// and the automatic test-mode entry.
struct SessionStep {
    std::string name;  // "open telnet 127.0.0.1:2323", "enter"
    Result result;
    std::int64_t duration_ms = 0;
};

// Puts the radio into test mode: EnterMP, and over UDP, where EnterMP sends
// nothing, mp_start.
std::int32_t enter_test_mode(DevContext& dev);

class BoardSession {
  public:
    // auto_enter: run EnterMP before the first operation that needs the
    // test mode (not for an entry operation itself).
    BoardSession(const ConnectionOptions& options, bool auto_enter);
    ~BoardSession();  // closes
    BoardSession(const BoardSession&) = delete;
    BoardSession& operator=(const BoardSession&) = delete;

    // Makes the record ready for an operation with these needs: filled for
    // conversions, open (and in test mode) for board operations. Returns
    // the session steps this took (empty when nothing was to do); the last
    // one failed when the operation cannot run. The options must have
    // passed connection_problem() first.
    std::vector<SessionStep> prepare(Needs needs);

    DevContext& record() { return *dev_; }
    bool over_udp() const { return !options_.udp.empty(); }

    // The last exchange of the library, read with GetBuffer.
    Exchange last_exchange() const;
    // What the board printed for the last line: the raw answer of the last
    // exchange without the echo and the prompt.
    std::string last_answer() const;

  private:
    const ConnectionOptions& options_;
    std::unique_ptr<DevContext> dev_;
    bool auto_enter_;
    bool filled_ = false;
    bool open_ = false;
    bool entered_ = false;
};

// What is wrong with the options for operations with these needs, or "".
std::string connection_problem(const ConnectionOptions& options, Needs needs);

}  // namespace mpctl
