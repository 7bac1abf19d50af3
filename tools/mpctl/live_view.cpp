// The progress line and the exchanges printed while a run goes on.
#include "live_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>

namespace mpctl {

namespace {

// The terminal's width, so that the progress line never wraps.
std::size_t terminal_width() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1) {
        return size.ws_col - 1u;
    }
    return 79;
}

}  // namespace

LiveView::LiveView(std::vector<std::string> board_names, std::size_t steps, bool progress, bool exchanges)
    : names_(std::move(board_names)),
      states_(names_.size()),
      steps_(steps),
      progress_(progress),
      exchanges_(exchanges) {}

LiveView::~LiveView() {
    std::lock_guard lock(mutex_);
    clear();
}

void LiveView::step_started(std::size_t board, std::size_t index, const PlanStep& step) {
    std::lock_guard lock(mutex_);
    const std::string count = std::to_string(index + 1) + "/" + std::to_string(steps_);
    states_[board] =
        names_.size() == 1 ? "[" + count + "] " + step.text : names_[board] + " " + count + " " + step.text;
    redraw();
}

void LiveView::step_ended(std::size_t board, const std::vector<StepReport>& reports) {
    if (!exchanges_) {
        return;
    }
    std::lock_guard lock(mutex_);
    clear();
    const std::string prefix = names_.size() == 1 ? "" : "[" + names_[board] + "] ";
    for (const StepReport& report : reports) {
        if (report.exchange) {
            std::cout << prefix << (report.line > 0 ? std::to_string(report.line) : "-") << " " << report.text << "\n";
            print_exchange(std::cout, *report.exchange);
        }
    }
    std::cout << std::flush;
    redraw();
}

void LiveView::board_ended(std::size_t board, bool passed) {
    std::lock_guard lock(mutex_);
    states_[board] = names_[board] + (passed ? " passed" : " FAILED");
    redraw();
}

void LiveView::redraw() {
    if (!progress_) {
        return;
    }
    std::string line;
    for (const std::string& state : states_) {
        if (!state.empty()) {  // a board that has not started yet
            line += (line.empty() ? "" : " | ") + state;
        }
    }
    std::cerr << "\r\033[K" << line.substr(0, terminal_width()) << std::flush;
}

void LiveView::clear() {
    if (progress_) {
        std::cerr << "\r\033[K" << std::flush;
    }
}

}  // namespace mpctl
