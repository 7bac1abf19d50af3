// This process's own resources as the benchmark programs report them: its
// resident memory from /proc/self/status, and its descriptor limit.
#pragma once

namespace mpbench {

// A "kB" line of /proc/self/status ("VmRSS", "VmHWM"), in KiB; -1 when it
// cannot be read. VmHWM, not getrusage's ru_maxrss: on Linux that keeps
// the parent's peak across fork and exec (here the suite script's).
long status_kib(const char* field);
inline long resident_kib() { return status_kib("VmRSS"); }
inline long peak_resident_kib() { return status_kib("VmHWM"); }

// Raises the soft limit on open descriptors to at least wanted, within the
// hard limit; false when the hard limit is lower.
bool raise_descriptor_limit(long wanted);

}  // namespace mpbench
