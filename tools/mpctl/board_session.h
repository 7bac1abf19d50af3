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
    // one failed when the operation cannot run. A bad option shows as
    // usage_error() instead.
    std::vector<SessionStep> prepare(Needs needs);

    const std::string& usage_error() const { return usage_error_; }
    DevContext& record() { return *dev_; }

    // The last exchange of the library, read with GetBuffer.
    Exchange last_exchange() const;

  private:
    const ConnectionOptions& options_;
    std::unique_ptr<DevContext> dev_;
    bool auto_enter_;
    bool filled_ = false;
    bool open_ = false;
    bool entered_ = false;
    std::string usage_error_;
};

}  // namespace mpctl
