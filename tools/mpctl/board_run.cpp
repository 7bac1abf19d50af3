// A plan on each board: one session per board, the boards on threads of
// their own.
#include "board_run.h"

#include <algorithm>
#include <thread>

namespace mpctl {

namespace {

// Runs the plan on one board and returns its reports: a failed step stops
// the plan unless keep_going (a failed session step always does); the steps
// left are reported as not run.
std::vector<StepReport> run_on_board(const std::vector<PlanStep>& plan, const Board& board, std::size_t index,
                                     const RunSettings& settings, ExchangeTurns& turns, RunMonitor& monitor) {
    const bool plan_enters = std::any_of(plan.begin(), plan.end(),
                                         [](const PlanStep& step) { return step.operation.needs == Needs::entry; });
    BoardSession session(board.connection, !board.connection.no_enter && !plan_enters);
    std::vector<StepReport> reports;
    bool stopped = false;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const PlanStep& step = plan[i];
        if (stopped) {
            reports.push_back({step.line, step.text, StepState::not_run, {}, 0});
            continue;
        }
        monitor.step_started(index, i, step);
        const std::size_t before = reports.size();
        const bool passed = run_step(session, step, settings.judging, turns, reports);
        monitor.step_ended(
            index, std::vector<StepReport>(reports.begin() + static_cast<std::ptrdiff_t>(before), reports.end()));
        const bool session_failed = reports.back().state == StepState::not_run;
        stopped = !passed && (!settings.keep_going || session_failed);
    }
    return reports;
}

}  // namespace

std::vector<BoardReport> run_on_boards(const std::vector<PlanStep>& plan, const std::vector<Board>& boards,
                                       const RunSettings& settings, RunMonitor& monitor) {
    std::vector<BoardReport> results;
    for (const Board& board : boards) {
        results.push_back({describe(board.connection), board.serial_number, {}});
    }
    ExchangeTurns turns;
    const auto run = [&](std::size_t i) {
        results[i].steps = run_on_board(plan, boards[i], i, settings, turns, monitor);
        monitor.board_ended(i, results[i].passed());
    };
    if (boards.size() == 1) {
        run(0);
        return results;
    }
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < boards.size(); ++i) {
        threads.emplace_back(run, i);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    return results;
}

}  // namespace mpctl
