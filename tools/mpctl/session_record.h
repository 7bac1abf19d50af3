// mpctl --record FILE: the session is written as the library's recording
// (MPDLL_RECORD) and lands at FILE when mpctl ends.
#pragma once

#include <string>

namespace mpctl {

class SessionRecord {
  public:
    // Points MPDLL_RECORD at a fresh folder beside path (nothing for "").
    explicit SessionRecord(std::string path);
    // Moves the recording to path and removes the folder.
    ~SessionRecord();
    SessionRecord(const SessionRecord&) = delete;
    SessionRecord& operator=(const SessionRecord&) = delete;

  private:
    std::string path_;
    std::string folder_;
};

}  // namespace mpctl
