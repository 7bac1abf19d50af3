// Why the record's last open failed, as values of the failed open step:
// printed under it, and in the JSON report.
#pragma once

#include "operation.h"

#include <mpdll/mpdll.h>

#include <vector>

namespace mpctl {

// failed_step, reason and last_heard; empty when the library kept no failure.
std::vector<Value> open_failure_values(const DevContext& dev);

}  // namespace mpctl
