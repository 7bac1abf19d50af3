// Checking a run, running it on its boards, and printing its results.
#include "runner.h"

#include "argument_check.h"
#include "junit_report.h"
#include "live_view.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iostream>

namespace mpctl {

namespace {

// What the plan needs of a connection: a board when any step does.
Needs needs_of(const std::vector<PlanStep>& plan) {
    const bool board = std::any_of(plan.begin(), plan.end(),
                                   [](const PlanStep& step) { return step.operation.needs != Needs::nothing; });
    return board ? Needs::board : Needs::nothing;
}

void add_problem(std::vector<PlanFault>& problems, PlanFault problem) {
    const auto same = [&](const PlanFault& p) { return p.line == problem.line && p.problem == problem.problem; };
    if (std::none_of(problems.begin(), problems.end(), same)) {
        problems.push_back(std::move(problem));
    }
}

// "PLAN:LINE: problem", "PLAN: problem", or for a single operation
// "OPERATION: problem".
std::string located(const RunRequest& request, const PlanFault& fault) {
    if (request.plan_name.empty()) {
        return request.plan.front().text + ": " + fault.problem;
    }
    return request.plan_name + (fault.line > 0 ? ":" + std::to_string(fault.line) : "") + ": " + fault.problem;
}

// Every problem of the request, each once: the boards' options (first), the
// plan's faulty lines and the steps' texts on each board (in line order),
// the JUnit file.
std::vector<std::string> usage_problems(const RunRequest& request) {
    std::vector<std::string> problems;
    for (const Board& board : request.boards) {
        const std::string problem = connection_problem(board.connection, needs_of(request.plan));
        if (!problem.empty() && std::find(problems.begin(), problems.end(), problem) == problems.end()) {
            problems.push_back(problem);
        }
    }
    std::vector<PlanFault> faults = request.plan_faults;
    for (const Board& board : request.boards) {
        for (const PlanStep& step : request.plan) {
            for (std::string& problem :
                 argument_problems(step.operation, board.connection, request.settings.judging.strict)) {
                add_problem(faults, {step.line, std::move(problem)});
            }
        }
    }
    std::stable_sort(faults.begin(), faults.end(),
                     [](const PlanFault& a, const PlanFault& b) { return a.line < b.line; });
    for (const PlanFault& fault : faults) {
        problems.push_back(located(request, fault));
    }
    if (!request.output.junit.empty() && !std::ofstream(request.output.junit)) {
        problems.push_back("cannot write the JUnit report " + request.output.junit);
    }
    return problems;
}

// One operation's result: the status line and values of the operation, and
// of the session steps only when they failed or -v asks.
void print_single(const BoardReport& board, bool verbose) {
    for (const StepReport& report : board.steps) {
        const bool session_step = &report != &board.steps.back();
        if (session_step && report.state == StepState::passed && !verbose) {
            continue;
        }
        if (report.state != StepState::not_run) {
            print_human(std::cout, report);
        }
    }
}

void print_results(const RunRequest& request, const std::vector<BoardReport>& boards) {
    if (request.output.json) {
        std::cout << json_document(json_report(boards, request.plan_name)) << "\n";
    } else if (request.plan_name.empty()) {
        print_single(boards.front(), request.output.verbose);
    } else {
        print_table(std::cout, boards);
    }
}

std::vector<std::string> names_of(const std::vector<Board>& boards) {
    std::vector<std::string> names;
    for (const Board& board : boards) {
        names.push_back(board.serial_number.empty() ? describe(board.connection) : board.serial_number);
    }
    return names;
}

}  // namespace

int run(const RunRequest& request) {
    if (const std::vector<std::string> problems = usage_problems(request); !problems.empty()) {
        for (const std::string& problem : problems) {
            std::cerr << "mpctl: " << problem << "\n";
        }
        return exit_usage;
    }
    const bool plan = !request.plan_name.empty();
    std::vector<BoardReport> boards;
    {
        LiveView view(names_of(request.boards), request.plan.size(),
                      plan && !request.output.json && isatty(STDERR_FILENO) == 1,
                      plan && request.output.verbose && !request.output.json);
        boards = run_on_boards(request.plan, request.boards, request.settings, view);
    }
    print_results(request, boards);
    if (!request.output.junit.empty() && !write_junit(request.output.junit, boards, request.plan_name)) {
        std::cerr << "mpctl: cannot write the JUnit report " << request.output.junit << "\n";
        return exit_failed;
    }
    const bool passed = std::all_of(boards.begin(), boards.end(), [](const BoardReport& b) { return b.passed(); });
    return passed ? exit_ok : exit_failed;
}

}  // namespace mpctl
