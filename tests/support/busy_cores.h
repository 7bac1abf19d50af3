// Busy processes that load every core while a test runs, so that what the
// test checks also holds on a board or station whose CPU is busy.
#pragma once

#include <sys/types.h>

#include <vector>

namespace mpdll::test {

class BusyCores {
  public:
    // Starts one spinning child process per core (at least two).
    BusyCores();
    ~BusyCores();  // kills and reaps them
    BusyCores(const BusyCores&) = delete;
    BusyCores& operator=(const BusyCores&) = delete;

  private:
    std::vector<pid_t> children_;
};

}  // namespace mpdll::test
