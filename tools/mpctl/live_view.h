// What a person sees while a run goes on: on a terminal, one progress line
// on standard error with each board's current step; with -v, each step's
// exchange on standard output as the step ends.
#pragma once

#include "board_run.h"

#include <mutex>
#include <string>
#include <vector>

namespace mpctl {

class LiveView : public RunMonitor {
  public:
    // board_names: one per board, in the run's order; steps: the plan's.
    LiveView(std::vector<std::string> board_names, std::size_t steps, bool progress, bool exchanges);
    ~LiveView() override;  // clears the progress line
    LiveView(const LiveView&) = delete;
    LiveView& operator=(const LiveView&) = delete;

    void step_started(std::size_t board, std::size_t index, const PlanStep& step) override;
    void step_ended(std::size_t board, const std::vector<StepReport>& reports) override;
    void board_ended(std::size_t board, bool passed) override;

  private:
    void redraw();  // with mutex_ held
    void clear();   // likewise

    std::mutex mutex_;
    std::vector<std::string> names_;
    std::vector<std::string> states_;  // each board's part of the progress line
    std::size_t steps_;
    bool progress_;
    bool exchanges_;
};

}  // namespace mpctl
