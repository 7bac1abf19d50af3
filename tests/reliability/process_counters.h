// The process's own counters of what it holds: open file descriptors
// (sockets, the serial port, everything), mapped named objects (the UDP
// mode's named mutex and events are POSIX named semaphores in /dev/shm),
// heap bytes in use and resident size.
#pragma once

#include <cstddef>
#include <string>

namespace mpdll::reliability {

struct ProcessCounters {
    long openFiles = 0;
    long namedObjects = 0;
    long long heapBytes = 0;  // allocator's bytes in use (ASan's own count under ASan)
    long long residentKb = 0;

    std::string describe() const;
};

ProcessCounters process_counters();

// The counters once the open-file and named-object counts have held still for
// 100 ms (a peer thread closes its end of a connection a moment after we do),
// at most after `settleMs`.
ProcessCounters settled_counters(int settleMs = 2000);

}  // namespace mpdll::reliability
