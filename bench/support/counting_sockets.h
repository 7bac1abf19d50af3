// Counts the library's socket receives: a socket table that forwards every
// call to the platform's own and counts recv calls, swapped in for as long
// as a ReceiveCounter lives.
#pragma once

namespace mpbench {

class ReceiveCounter {
  public:
    ReceiveCounter();
    ~ReceiveCounter();
    ReceiveCounter(const ReceiveCounter&) = delete;
    ReceiveCounter& operator=(const ReceiveCounter&) = delete;

    long receives() const;
    void reset();
};

}  // namespace mpbench
