// The port time-outs of each open serial port, in a small fixed table.
#include "platform/posix/serial_port_table.h"

#include <array>
#include <mutex>

namespace mpdll::platform::serial_port_table {
namespace {

constexpr MpCommTimeouts kDefaults{100, 0, 0, 100, 500};

struct Entry {
    int fd = -1;
    MpCommTimeouts timeouts = kDefaults;
    bool pseudoTerminal = false;
};

std::mutex tableLock;
std::array<Entry, 32> table;

// The entry of port fd; kFree finds an unused entry. A negative fd is no
// port (the invalid and the null handle come to -2 and -1), so it finds
// nothing, and an unused entry is never taken for a port.
constexpr int kFree = -1;

Entry* find_entry(int fd) {
    for (Entry& entry : table)
        if (entry.fd == fd) return &entry;
    return nullptr;
}

Entry* find(int fd) { return fd < 0 ? nullptr : find_entry(fd); }

}  // namespace

void remember(int fd, bool pseudoTerminal) {
    std::lock_guard lock(tableLock);
    Entry* entry = find(fd);
    if (!entry) entry = find_entry(kFree);
    if (entry) *entry = Entry{fd, kDefaults, pseudoTerminal};
}

bool set(int fd, const MpCommTimeouts& timeouts) {
    std::lock_guard lock(tableLock);
    Entry* entry = find(fd);
    if (!entry) return false;
    entry->timeouts = timeouts;
    return true;
}

MpCommTimeouts get(int fd) {
    std::lock_guard lock(tableLock);
    const Entry* entry = find(fd);
    return entry ? entry->timeouts : kDefaults;
}

bool is_pseudo_terminal(int fd) {
    std::lock_guard lock(tableLock);
    const Entry* entry = find(fd);
    return entry && entry->pseudoTerminal;
}

void forget(int fd) {
    std::lock_guard lock(tableLock);
    if (Entry* entry = find(fd)) *entry = Entry{};
}

}  // namespace mpdll::platform::serial_port_table
