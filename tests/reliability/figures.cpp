// Appending figure lines for the reliability report.
#include "figures.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace mpdll::reliability {

void record_figure(const std::string& table, const std::string& line) {
    const char* directory = std::getenv("MPDLL_RELIABILITY_FIGURES");
    if (directory == nullptr || *directory == '\0') return;
    const std::string path = std::string(directory) + "/" + table + ".tsv";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
    ::close(fd);
}

}  // namespace mpdll::reliability
