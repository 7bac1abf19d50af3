// A stand-in board console: a pseudo-terminal that echoes as a real one does
// and a scripted shell behind it.
#include "support/terminal_board.h"

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

namespace mpdll::test {
namespace {

constexpr int kPollMs = 10;

std::string without_comment(const std::string& line) {
    std::string kept = line;
    for (std::size_t at = 0; at < kept.size(); ++at) {
        if (kept[at] == '#' && (at == 0 || kept[at - 1] == ' ' || kept[at - 1] == '\t')) {
            kept.resize(at);
            break;
        }
    }
    while (!kept.empty() && (kept.back() == ' ' || kept.back() == '\t')) kept.pop_back();
    return kept;
}

std::vector<std::string> words_of(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

}  // namespace

TerminalBoard::TerminalBoard(bool echo, std::string prompt, int answerDelayMs)
    : prompt_(std::move(prompt)), answerDelayMs_(answerDelayMs) {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    // A board's console: canonical lines, CR typed read as a line end, line
    // ends written as CR LF, the typed line echoed (or not) at once.
    termios settings{};
    ::tcgetattr(slave_, &settings);
    settings.c_iflag |= ICRNL;
    settings.c_oflag |= OPOST | ONLCR;
    settings.c_lflag |= ICANON;
    if (echo) {
        settings.c_lflag |= ECHO | ECHOE | ECHOK;
    } else {
        settings.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL);
    }
    ::tcsetattr(slave_, TCSANOW, &settings);
    shell_ = std::thread([this] { shell_loop(); });
    output_ = std::thread([this] { output_loop(); });
}

TerminalBoard::~TerminalBoard() {
    stop_ = true;
    changed_.notify_all();
    if (shell_.joinable()) shell_.join();
    if (output_.joinable()) output_.join();
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
}

void TerminalBoard::attach(std::function<void(std::string_view)> sink) {
    const bool attaching = static_cast<bool>(sink);
    {
        // Waits for a call into the sink before to end.
        std::lock_guard lock(sinkMutex_);
        sink_ = std::move(sink);
    }
    std::lock_guard lock(mutex_);
    attached_ = attached_ || attaching;
    changed_.notify_all();
}

void TerminalBoard::type(const std::string& line) {
    {
        std::lock_guard lock(mutex_);
        for (auto rule = drops_.begin(); rule != drops_.end(); ++rule) {
            if (line.find(*rule) != std::string::npos) {
                drops_.erase(rule);
                return;
            }
        }
    }
    const std::string typed = line + "\r";
    (void)!::write(master_, typed.data(), typed.size());
    std::lock_guard lock(mutex_);
    ++typed_;
    changed_.notify_all();
}

void TerminalBoard::drop_next(const std::string& match) {
    std::lock_guard lock(mutex_);
    drops_.push_back(match);
}

void TerminalBoard::script_next(const std::string& match, ShellScript script) {
    std::lock_guard lock(mutex_);
    scripts_.emplace_back(match, std::move(script));
}

ShellScript TerminalBoard::usual(const std::string& line) const {
    return {ShellStep{answerDelayMs_, answer_to(line)}, ShellStep{0, prompt_}};
}

std::string TerminalBoard::answer_to(const std::string& line) {
    const std::string command = without_comment(line);
    const std::vector<std::string> words = words_of(command);
    if (words.empty()) return "";
    if (words[0] == "flash" && words.size() >= 3 && words[1] == "get") return words[2] + "=v_" + words[2] + "\n";
    if (words[0] == "echo") return (command.size() > 5 ? command.substr(5) : "") + "\n";
    if (words[0] == "iwpriv" && words.size() >= 3 && words[2] == "mp_ther") return words[1] + "     mp_ther:30\n";
    if (words[0] == "ls") return "a.txt\nb.txt\n";
    return "sh: " + words[0] + ": not found\n";
}

std::vector<std::string> TerminalBoard::lines_read() const {
    std::lock_guard lock(mutex_);
    return read_;
}

bool TerminalBoard::started(int waitMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return started_; });
}

bool TerminalBoard::idle_after(std::size_t count, int waitMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return answered_ >= count; });
}

void TerminalBoard::write_slave(const std::string& text) {
    if (!text.empty()) (void)!::write(slave_, text.data(), text.size());
}

void TerminalBoard::run(const ShellScript& script) {
    std::size_t lineNumber;
    {
        std::lock_guard lock(mutex_);
        lineNumber = read_.size();
    }
    for (const ShellStep& step : script) {
        for (int slept = 0; slept < step.pauseMs && !stop_; slept += kPollMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kPollMs, step.pauseMs - slept)));
        }
        if (step.untilNextLine) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || typed_ > lineNumber; });
            lock.unlock();
            // Its echo goes out first.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (stop_) return;
        write_slave(step.text);
        if (step.action) step.action();
    }
}

void TerminalBoard::shell_loop() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || attached_; });
    }
    write_slave(prompt_);
    {
        std::lock_guard lock(mutex_);
        started_ = true;
        changed_.notify_all();
    }
    char buffer[4096];
    while (!stop_) {
        pollfd entry{slave_, POLLIN, 0};
        if (::poll(&entry, 1, kPollMs) <= 0) continue;
        // In canonical mode one read gives at most one line.
        const ssize_t got = ::read(slave_, buffer, sizeof buffer);
        if (got <= 0) continue;
        std::string line(buffer, static_cast<std::size_t>(got));
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        ShellScript script;
        bool scripted = false;
        {
            std::lock_guard lock(mutex_);
            read_.push_back(line);
            for (auto rule = scripts_.begin(); rule != scripts_.end(); ++rule) {
                if (line.find(rule->first) != std::string::npos) {
                    script = std::move(rule->second);
                    scripts_.erase(rule);
                    scripted = true;
                    break;
                }
            }
        }
        run(scripted ? script : usual(line));
        std::lock_guard lock(mutex_);
        ++answered_;
        changed_.notify_all();
    }
}

void TerminalBoard::output_loop() {
    char buffer[4096];
    while (!stop_) {
        pollfd entry{master_, POLLIN, 0};
        if (::poll(&entry, 1, kPollMs) <= 0) continue;
        const ssize_t got = ::read(master_, buffer, sizeof buffer);
        if (got <= 0) continue;
        std::lock_guard lock(sinkMutex_);
        if (sink_) sink_(std::string_view(buffer, static_cast<std::size_t>(got)));
    }
}

}  // namespace mpdll::test
