// A stand-in board modelled on a real console: a pseudo-terminal whose line
// discipline echoes each typed line at once (canonical mode, ECHO, ICRNL,
// ONLCR, as a board's console is set up), and a small shell on its slave
// side that reads one line at a time and answers it later, with output and
// a prompt. How the shell treats a line can be scripted per line: its delay,
// its output written in pieces, no prompt, no answer at all, a prompt split
// around the next line typed. A line can also be lost on the way, before it
// reaches the terminal. The host end (a telnet front, a serial console)
// types lines with type() and takes what the terminal sends through the
// sink it attaches.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace mpdll::test {

// One thing the shell does while it answers a line.
struct ShellStep {
    int pauseMs = 0;               // sleeps first
    std::string text;              // then writes this ("\n" becomes CR LF on the way out)
    bool untilNextLine = false;    // before writing, waits until the next line has been typed
    std::function<void()> action;  // then runs this (for a front to put its own bytes in)
};
using ShellScript = std::vector<ShellStep>;

class TerminalBoard {
  public:
    // echo: the terminal's line discipline echoes typed lines.
    explicit TerminalBoard(bool echo = true, std::string prompt = "# ", int answerDelayMs = 200);
    ~TerminalBoard();
    TerminalBoard(const TerminalBoard&) = delete;
    TerminalBoard& operator=(const TerminalBoard&) = delete;

    bool ready() const { return master_ >= 0; }
    // True once the shell has printed its first prompt (within waitMs).
    bool started(int waitMs) const;
    const std::string& prompt() const { return prompt_; }

    // Where the terminal's output goes; the shell prints its first prompt
    // once the sink is attached.
    void attach(std::function<void(std::string_view)> sink);
    // A line typed by the host, without its line end (the terminal gets it
    // with a CR): lost instead when a drop rule takes it.
    void type(const std::string& line);

    // The first later line containing match (typed or read by the shell)
    // is lost on the way / answered by script instead of the usual answer.
    void drop_next(const std::string& match);
    void script_next(const std::string& match, ShellScript script);
    // The usual answer to a line after the usual delay, then the prompt.
    ShellScript usual(const std::string& line) const;
    // The usual answer to a line: "flash get NAME" -> "NAME=v_NAME",
    // "echo WORDS" -> "WORDS", "iwpriv IF mp_ther" -> "IF     mp_ther:30",
    // "ls" -> a listing; the shell's comments (" #...") are ignored.
    static std::string answer_to(const std::string& line);

    // Every line the shell has read, in order, as it read them.
    std::vector<std::string> lines_read() const;
    // True once the shell has read `count` lines and finished answering them.
    bool idle_after(std::size_t count, int waitMs) const;

  private:
    void shell_loop();
    void output_loop();
    void run(const ShellScript& script);
    void write_slave(const std::string& text);

    std::string prompt_;
    int answerDelayMs_;
    int master_ = -1, slave_ = -1;
    std::atomic<bool> stop_{false};

    std::mutex sinkMutex_;
    std::function<void(std::string_view)> sink_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool attached_ = false;  // a sink was attached once: the shell starts
    bool started_ = false;   // its first prompt is out
    std::vector<std::string> drops_;
    std::vector<std::pair<std::string, ShellScript>> scripts_;
    std::vector<std::string> read_;
    std::size_t typed_ = 0;
    std::size_t answered_ = 0;

    std::thread shell_, output_;
};

}  // namespace mpdll::test
