// The events of every record for the log handler and the recordings, and
// each record's last open failure.
#include "connection/session_log.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <new>
#include <shared_mutex>
#include <unordered_map>

#include "connection/session_recording.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/secret_mask.h"

namespace mpdll::session_log {

std::atomic<bool> gListening{false};

namespace {

// What the calling thread is doing for which record.
struct CallContext {
    const DevContext* dev = nullptr;
    const char* name = nullptr;
    int depth = 0;
    bool opening = false;
    bool failureNoted = false;
    std::uint64_t openStartMs = 0;
};
thread_local CallContext current;

// What is kept per record between its OpenDev and its CloseDev.
struct RecordLog {
    std::uint64_t openStartMs = 0;
    bool failed = false;
    Failure failure{};
};

std::mutex recordsLock;
std::unordered_map<const DevContext*, RecordLog>& records() {
    static std::unordered_map<const DevContext*, RecordLog> map;
    return map;
}

std::shared_mutex handlerLock;
MpdllLogHandler handler = nullptr;
void* handlerContext = nullptr;
int openRecordings = 0;  // under handlerLock

void update_listening() { gListening.store(handler != nullptr || openRecordings > 0, std::memory_order_relaxed); }

std::uint32_t elapsed_ms() {
    const std::uint64_t spent = platform::monotonic_ms() - current.openStartMs;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(spent, UINT32_MAX));
}

void deliver(std::int32_t kind, std::int32_t status, std::string_view bytes) noexcept {
    if (!current.dev) return;  // outside any export that knows its record
    const Event event{current.dev, kind, status, bytes, elapsed_ms()};
    recording::write(event);
    try {
        std::shared_lock lock(handlerLock);
        if (handler)
            handler(handlerContext, event.dev, kind, status, bytes.data(),
                    static_cast<std::int32_t>(std::min<std::size_t>(bytes.size(), INT32_MAX)), event.elapsedMs);
    } catch (...) {
        // A lock that cannot be taken loses the event, never the exchange.
    }
}

void copy_field(char* out, std::size_t size, std::string_view text) {
    copy_text(std::span<char>(out, size), text);
}

}  // namespace

void sent_heard(std::int32_t kind, std::string_view bytes) noexcept {
    if (!current.dev) return;
    const std::string_view password = field_text(current.dev->password);
    if (!current.opening || password.empty()) return deliver(kind, MPDLL_OK, bytes);
    // While the open runs the password is masked, piece by piece.
    std::array<char, 4096> shown;
    while (!bytes.empty()) {
        const std::size_t piece = std::min(bytes.size(), shown.size());
        std::copy_n(bytes.data(), piece, shown.data());
        mask_secret(std::span<char>(shown.data(), piece), password);
        deliver(kind, MPDLL_OK, std::string_view(shown.data(), piece));
        bytes.remove_prefix(piece);
    }
}

void open_step(std::string_view name) noexcept {
    if (listening()) deliver(MPDLL_EVENT_OPEN_STEP, MPDLL_OK, name);
}

void open_failed(std::string_view step, std::string_view why, std::string_view heard) noexcept {
    if (!current.dev || !current.opening) return;
    current.failureNoted = true;
    {
        std::lock_guard lock(recordsLock);
        const auto found = records().find(current.dev);
        if (found != records().end()) {
            Failure& kept = found->second.failure;
            found->second.failed = true;
            copy_field(kept.step, sizeof kept.step, step);
            copy_field(kept.reason, sizeof kept.reason, why);
            copy_field(kept.heard, sizeof kept.heard, heard);
        }
    }
    if (!listening()) return;
    FixedText<256> text;
    text.append(step).append(": ").append(why);
    deliver(MPDLL_EVENT_OPEN_FAILED, MPDLL_E_OPEN, text.view());
}

CallScope::CallScope(const DevContext* dev, const char* name) noexcept : outermost_(current.depth == 0) {
    ++current.depth;
    if (!outermost_) return;
    current.dev = dev;
    current.name = name;
    current.opening = false;
    current.openStartMs = platform::monotonic_ms();
    if (!dev) return;
    std::lock_guard lock(recordsLock);
    const auto found = records().find(dev);
    if (found != records().end()) current.openStartMs = found->second.openStartMs;
}

CallScope::~CallScope() {
    if (--current.depth == 0) current = CallContext{};
}

std::int32_t CallScope::end(std::int32_t status) noexcept {
    if (outermost_ && listening()) deliver(MPDLL_EVENT_CALL_END, status, current.name);
    return status;
}

OpenScope::OpenScope(const DevContext& dev, std::string_view firstStep) noexcept : dev_(dev), call_(&dev, "OpenDev") {
    const std::uint64_t now = platform::monotonic_ms();
    try {
        std::lock_guard lock(recordsLock);
        records()[&dev] = RecordLog{now, false, {}};
    } catch (const std::bad_alloc&) {
        // Without memory the record keeps no failure; its open goes on.
    }
    if (current.dev != &dev) return;  // an open inside another call
    current.opening = true;
    current.failureNoted = false;
    current.openStartMs = now;
    recording::begin(dev);
    open_step(firstStep);
}

std::int32_t OpenScope::end(std::int32_t status) noexcept {
    if (status != MPDLL_OK && current.dev == &dev_ && !current.failureNoted)
        open_failed("open", "the port could not be opened", "");
    current.opening = false;
    return call_.end(status);
}

void forget(const DevContext& dev) noexcept {
    {
        std::lock_guard lock(recordsLock);
        records().erase(&dev);
    }
    recording::end(dev);
}

std::uint64_t open_started_ms(const DevContext& dev) noexcept {
    {
        std::lock_guard lock(recordsLock);
        const auto found = records().find(&dev);
        if (found != records().end()) return found->second.openStartMs;
    }
    return platform::monotonic_ms();
}

void set_handler(MpdllLogHandler newHandler, void* context) noexcept {
    try {
        std::unique_lock lock(handlerLock);
        handler = newHandler;
        handlerContext = context;
        update_listening();
    } catch (...) {
    }
}

void recordings_changed(int delta) noexcept {
    try {
        std::unique_lock lock(handlerLock);
        openRecordings += delta;
        update_listening();
    } catch (...) {
    }
}

bool failure_of(const DevContext& dev, Failure& out) noexcept {
    std::lock_guard lock(recordsLock);
    const auto found = records().find(&dev);
    if (found == records().end() || !found->second.failed) return false;
    out = found->second.failure;
    return true;
}

}  // namespace mpdll::session_log
