// The prompts a board still owes a record, kept per record in a small
// process-wide table (the record's layout has no room for it).
#include "connection/owed_prompts.h"

#include <algorithm>
#include <array>
#include <mutex>

namespace mpdll::owed_prompts {
namespace {

struct Entry {
    const DevContext* record = nullptr;
    std::size_t count = 0;
};

// Records with prompts owed; a full table forgets the newest debt (that
// record then waits for its own prompt only, as before anything was owed).
constexpr std::size_t kRecords = 64;
std::mutex tableLock;
std::array<Entry, kRecords> table;

Entry* entry_of(const DevContext* record) {
    for (Entry& entry : table)
        if (entry.record == record) return &entry;
    return nullptr;
}

}  // namespace

std::size_t of(const DevContext& dev) noexcept {
    std::lock_guard lock(tableLock);
    const Entry* entry = entry_of(&dev);
    return entry ? entry->count : 0;
}

void set(const DevContext& dev, std::size_t count) noexcept {
    std::lock_guard lock(tableLock);
    Entry* entry = entry_of(&dev);
    if (count == 0) {
        if (entry) *entry = Entry{};
        return;
    }
    if (!entry) entry = entry_of(nullptr);
    if (entry) *entry = Entry{&dev, std::min(count, kMost)};
}

void forget(const DevContext& dev) noexcept { set(dev, 0); }

}  // namespace mpdll::owed_prompts
