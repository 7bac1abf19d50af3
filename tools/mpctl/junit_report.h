// The run as JUnit XML for a line's dashboard: one test suite per board
// (named by its serial number, else its connection), one test case per step;
// a failed step carries a failure with its reason, a step not run is
// skipped.
#pragma once

#include "step_report.h"

#include <string>
#include <vector>

namespace mpctl {

// Writes the report to path; false when the file cannot be written.
bool write_junit(const std::string& path, const std::vector<BoardReport>& boards, const std::string& plan_name);

}  // namespace mpctl
