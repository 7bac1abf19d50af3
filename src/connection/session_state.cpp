// The knowledge about each open connection, kept beside its record.
#include "connection/session_state.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <unordered_map>

namespace mpdll {

void SessionState::learn_prompt_trailer(std::string_view trailer) noexcept {
    promptTrailerLength = trailer.size() <= promptTrailer.size() ? trailer.size() : 0;
    std::copy_n(trailer.data(), promptTrailerLength, promptTrailer.data());
}

}  // namespace mpdll

namespace mpdll::session {
namespace {

std::mutex sessionsLock;

std::unordered_map<const DevContext*, SessionState>& sessions() {
    static std::unordered_map<const DevContext*, SessionState> map;
    return map;
}

}  // namespace

void begin(const DevContext& dev) noexcept {
    std::lock_guard lock(sessionsLock);
    try {
        sessions()[&dev] = SessionState{};
    } catch (const std::bad_alloc&) {
        // Without memory the record works as one whose knowledge is fresh
        // at every exchange.
        sessions().erase(&dev);
    }
}

void end(const DevContext& dev) noexcept {
    std::lock_guard lock(sessionsLock);
    sessions().erase(&dev);
}

SessionState load(const DevContext& dev) noexcept {
    std::lock_guard lock(sessionsLock);
    const auto found = sessions().find(&dev);
    return found == sessions().end() ? SessionState{} : found->second;
}

bool store(const DevContext& dev, const SessionState& state) noexcept {
    std::lock_guard lock(sessionsLock);
    const auto found = sessions().find(&dev);
    if (found == sessions().end()) return false;
    found->second = state;
    return true;
}

}  // namespace mpdll::session
