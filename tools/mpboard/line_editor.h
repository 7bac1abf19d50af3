// A terminal's line discipline as the board's shell sees it: collects typed
// characters into lines. CR, CR LF, CR NUL and LF each end a line (so a
// doubled CR gives an extra empty line); BS and DEL erase, Ctrl-C drops the
// line, Ctrl-D on an empty line ends the session.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mpboard {

struct LineEvent {
    enum class Kind { typed, erased, line, interrupt, end_of_input };
    Kind kind;
    std::string text;  // typed: the characters; line: the whole line
};

class LineEditor {
  public:
    std::vector<LineEvent> feed(std::string_view data);
    // Forgets the line being typed (a program that flushes its input).
    void discard() { line_.clear(); }

  private:
    std::string line_;
    bool after_cr_ = false;
};

}  // namespace mpboard
