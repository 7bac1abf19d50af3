// The port time-outs of each open serial port, kept per descriptor for any
// number of ports.
#include "platform/posix/serial_port_table.h"

#include <mutex>
#include <new>
#include <unordered_map>

namespace mpdll::platform::serial_port_table {
namespace {

constexpr MpCommTimeouts kDefaults{100, 0, 0, 100, 500};

struct Entry {
    MpCommTimeouts timeouts = kDefaults;
    bool pseudoTerminal = false;
};

std::mutex tableLock;

std::unordered_map<int, Entry>& table() {
    static std::unordered_map<int, Entry> ports;
    return ports;
}

// The entry of port fd. A negative fd is no port (the invalid and the null
// handle come to -2 and -1), so it finds nothing.
Entry* find(int fd) {
    if (fd < 0) return nullptr;
    const auto found = table().find(fd);
    return found == table().end() ? nullptr : &found->second;
}

}  // namespace

void remember(int fd, bool pseudoTerminal) {
    std::lock_guard lock(tableLock);
    if (fd < 0) return;
    try {
        table()[fd] = Entry{kDefaults, pseudoTerminal};
    } catch (const std::bad_alloc&) {
        // Without memory the port runs with the default time-outs.
    }
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
    table().erase(fd);
}

}  // namespace mpdll::platform::serial_port_table
