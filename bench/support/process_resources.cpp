// /proc/self/status fields and RLIMIT_NOFILE.
#include "support/process_resources.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

namespace mpbench {

long status_kib(const char* field) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    const std::size_t length = std::strlen(field);
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            std::sscanf(line + length + 1, "%ld", &kib);
            break;
        }
    }
    std::fclose(status);
    return kib;
}

bool raise_descriptor_limit(long wanted) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return false;
    const rlim_t target = static_cast<rlim_t>(wanted);
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= target) return true;
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < target) return false;
    limit.rlim_cur = target;
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

}  // namespace mpbench
