// Reading the process's counters from /proc/self and the allocator.
#include "process_counters.h"

#include <dirent.h>
#include <malloc.h>

#include <chrono>
#include <fstream>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define MPDLL_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MPDLL_UNDER_ASAN 1
#endif
#endif
#if defined(MPDLL_UNDER_ASAN)
// The ASan runtime's own count of bytes in use (its header is not always installed).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace mpdll::reliability {
namespace {

long count_entries(const char* directory) {
    DIR* dir = ::opendir(directory);
    if (dir == nullptr) return -1;
    long count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') ++count;
    }
    ::closedir(dir);
    return count - 1;  // the directory stream itself
}

// Mappings of named shared objects (POSIX named semaphores live in /dev/shm).
long count_shared_objects() {
    std::ifstream in("/proc/self/maps");
    long lines = 0;
    for (std::string line; std::getline(in, line);) lines += line.find("/dev/shm/") != std::string::npos ? 1 : 0;
    return lines;
}

long long resident_kb() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stoll(line.substr(6));
    }
    return -1;
}

long long heap_bytes() {
#if defined(MPDLL_UNDER_ASAN)
    return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
    return static_cast<long long>(::mallinfo2().uordblks);
#endif
}

}  // namespace

std::string ProcessCounters::describe() const {
    return "files " + std::to_string(openFiles) + ", named objects " + std::to_string(namedObjects) + ", heap " +
           std::to_string(heapBytes) + " B, resident " + std::to_string(residentKb) + " kB";
}

ProcessCounters process_counters() {
    ProcessCounters counters;
    counters.openFiles = count_entries("/proc/self/fd");
    counters.namedObjects = count_shared_objects();
    counters.heapBytes = heap_bytes();
    counters.residentKb = resident_kb();
    return counters;
}

ProcessCounters settled_counters(int settleMs) {
    ProcessCounters last = process_counters();
    for (int waited = 0; waited < settleMs; waited += 100) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const ProcessCounters now = process_counters();
        if (now.openFiles == last.openFiles && now.namedObjects == last.namedObjects) return now;
        last = now;
    }
    return last;
}

}  // namespace mpdll::reliability
