// Measured figures for docs/reliability.md. When MPDLL_RELIABILITY_FIGURES
// names a directory, each figure is appended as one tab-separated line to
// <directory>/<table>.tsv (one write per line, so parallel test processes
// do not mix their lines); otherwise nothing is written.
#pragma once

#include <string>

namespace mpdll::reliability {

void record_figure(const std::string& table, const std::string& line);

}  // namespace mpdll::reliability
