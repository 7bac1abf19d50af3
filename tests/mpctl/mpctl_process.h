// Runs the mpctl program as a test engineer would and collects what it printed.
#pragma once

#include <string>
#include <vector>

namespace mpctl_test {

struct ProcessResult {
    int exit_code = -1;  // -1: killed or did not start
    std::string out;
    std::string err;
};

// Runs mpctl with args; gives up and kills it after timeout_seconds.
ProcessResult run_mpctl(const std::vector<std::string>& args, int timeout_seconds = 60);

// The same with its standard error on a pseudo-terminal of `columns`
// columns, as on a person's screen; err holds what the terminal showed.
ProcessResult run_mpctl_on_terminal(const std::vector<std::string>& args, int columns);

// The path of the mpctl program in the build tree.
std::string mpctl_path();

// Writes text into a fresh file under the test's temporary directory and
// returns its path.
std::string write_temp_file(const std::string& name, const std::string& text);

}  // namespace mpctl_test
