// Every byte of every record, told as it happens: the events the log handler
// (MpdllSetLogHandler) and the recordings (MPDLL_RECORD) receive, and why a
// record's last open failed. The hooks in the transports cost one relaxed
// atomic load while nobody listens; the events carry the record of the
// export the calling thread runs, so boards on several threads never mix.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "mpdll/mpdll.h"

namespace mpdll::session_log {

// One event as MpdllLogHandler receives it.
struct Event {
    const DevContext* dev;
    std::int32_t kind;
    std::int32_t status;
    std::string_view bytes;
    std::uint32_t elapsedMs;
};

// True while a handler is set or a recording is open.
extern std::atomic<bool> gListening;
inline bool listening() noexcept { return gListening.load(std::memory_order_relaxed); }

void sent_heard(std::int32_t kind, std::string_view bytes) noexcept;
// Bytes that went to the board of the export the calling thread runs.
inline void sent(std::string_view bytes) noexcept {
    if (listening()) sent_heard(MPDLL_EVENT_SENT, bytes);
}
// Bytes that came from that board.
inline void received(std::string_view bytes) noexcept {
    if (listening()) sent_heard(MPDLL_EVENT_RECEIVED, bytes);
}

// A step of the open the calling thread runs begins.
void open_step(std::string_view name) noexcept;
// The open the calling thread runs fails at step for why; heard is what the
// board said last, already escaped and masked.
void open_failed(std::string_view step, std::string_view why, std::string_view heard) noexcept;

// The export the calling thread runs for dev, for the events inside it: the
// outermost one names the record and ends with a CALL_END event.
class CallScope {
  public:
    CallScope(const DevContext* dev, const char* name) noexcept;
    ~CallScope();
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
    std::int32_t end(std::int32_t status) noexcept;

  private:
    bool outermost_;
};

// Runs an export's body; while someone listens, inside a CallScope.
template <typename Body>
std::int32_t logged_call(const DevContext* dev, const char* name, Body&& body) noexcept {
    if (!listening()) return body();
    CallScope scope(dev, name);
    return scope.end(body());
}

// OpenDev for dev: the open's clock starts, its last failure is forgotten,
// a recording begins when MPDLL_RECORD names a folder, and the events inside
// belong to dev. The status it ends with is OpenDev's.
class OpenScope {
  public:
    OpenScope(const DevContext& dev, std::string_view firstStep) noexcept;
    ~OpenScope() = default;
    OpenScope(const OpenScope&) = delete;
    OpenScope& operator=(const OpenScope&) = delete;
    std::int32_t end(std::int32_t status) noexcept;

  private:
    const DevContext& dev_;
    CallScope call_;
};

// CloseDev for dev: its failure and its recording end.
void forget(const DevContext& dev) noexcept;

// When the record's last OpenDev began (the monotonic clock); now for a
// record that has none kept.
std::uint64_t open_started_ms(const DevContext& dev) noexcept;

// Sets the handler (nullptr: none); waits for running calls of the old one.
void set_handler(MpdllLogHandler handler, void* context) noexcept;
// A recording opened or closed: the listening flag follows.
void recordings_changed(int delta) noexcept;

// The record's kept failure; false when there is none.
struct Failure {
    char step[32];
    char reason[192];
    char heard[400];
};
bool failure_of(const DevContext& dev, Failure& out) noexcept;

}  // namespace mpdll::session_log
