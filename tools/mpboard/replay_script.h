// A recorded session (the library's asciicast recording) read back as the
// board it came from: the login dialog in order, then every shell line's
// answers in the order the board gave them, each piece with its delay.
#pragma once

#include <cstddef>
#include <deque>
#include <istream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "line_editor.h"

namespace mpboard {

// One write of the board, this many ms after the input it answers.
struct ReplayOutput {
    int after_ms;
    std::string bytes;
};
using ReplayAnswer = std::vector<ReplayOutput>;

// One turn of the login dialog: what the caller sends, then what the board
// writes. The first turn's input is empty: the board writes at the connection.
struct ReplayTurn {
    std::string input;
    ReplayAnswer outputs;
};

class ReplayScript {
  public:
    // Throws std::runtime_error naming the line that cannot be read.
    static ReplayScript load(const std::string& path);
    static ReplayScript parse(std::istream& in, const std::string& name);

    const std::string& mode() const { return mode_; }  // telnet, serial or udp
    const std::string& prompt() const { return prompt_; }
    const std::vector<ReplayTurn>& login() const { return login_; }
    // The answer the board gave the `occurrence`-th time (from 0) it got
    // `line`; past the last recorded one, the last. nullptr: never recorded.
    const ReplayAnswer* answer(const std::string& line, std::size_t occurrence) const;
    // What the shell writes for a line it has no answer for: the echo (when
    // the board echoed), its line end, "sh: NAME: not found" and the prompt.
    std::string not_found(const std::string& line) const;
    // The same for a UDP datagram: the error text alone.
    static std::string not_found_reply(const std::string& line);

  private:
    void take(double seconds, std::string_view code, const std::string& bytes);
    void take_shell_input(double seconds, const std::string& bytes);
    void learn_terminal_style();

    std::string mode_ = "telnet";
    std::string prompt_ = "# ";
    std::vector<ReplayTurn> login_{ReplayTurn{}};
    bool opened_ = false;  // the open has ended: what follows is the shell
    double turn_started_ = 0;
    std::map<std::string, std::deque<ReplayAnswer>> answers_;  // a deque: pointers into it stay valid
    ReplayAnswer* current_ = nullptr;                          // the answer the board's writes now belong to
    LineEditor editor_;                                        // splits the shell input into lines as the board did
    std::string first_line_;                                   // the first shell line answered, and its answer
    const ReplayAnswer* first_answer_ = nullptr;
    bool echo_ = true;
    std::string line_end_ = "\r\n";
};

// The bytes a recorded text stands for: the character U+F700 + b is byte b,
// every other character its UTF-8 bytes.
std::string recorded_bytes(std::string_view utf8);

}  // namespace mpboard
