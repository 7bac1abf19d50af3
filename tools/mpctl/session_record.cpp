// The library writes the recording into a folder of its own; mpctl moves
// the newest one to the file asked for.
#include "session_record.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace mpctl {

namespace fs = std::filesystem;

SessionRecord::SessionRecord(std::string path) : path_(std::move(path)) {
    if (path_.empty()) return;
    const fs::path target = fs::absolute(path_);
    std::string pattern = (target.parent_path() / ".mpctl-record-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::cerr << "mpctl: cannot make a folder beside " << path_ << " for the recording\n";
        return;
    }
    folder_ = pattern;
    ::setenv("MPDLL_RECORD", folder_.c_str(), 1);
}

SessionRecord::~SessionRecord() {
    if (folder_.empty()) return;
    std::error_code error;
    fs::path newest;
    for (const auto& entry : fs::directory_iterator(folder_, error))
        if (newest.empty() || entry.last_write_time() > fs::last_write_time(newest)) newest = entry.path();
    if (!newest.empty()) fs::rename(newest, path_, error);
    if (error) std::cerr << "mpctl: the recording could not be written to " << path_ << "\n";
    fs::remove_all(folder_, error);
}

}  // namespace mpctl
