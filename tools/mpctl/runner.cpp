// One session per invocation: connect when the first board operation comes,
// run, report, close.
#include "runner.h"

#include "board_session.h"
#include "step_report.h"
#include "stopwatch.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace mpctl {

namespace {

enum class Outcome { passed, failed, usage };

// Runs one operation in the session and appends the reports of the session
// steps it needed and of the operation itself.
Outcome execute(BoardSession& session, const Operation& operation, int line, const std::string& text, bool verbose,
                std::vector<StepReport>& reports) {
    for (SessionStep& step : session.prepare(operation.needs)) {
        const bool failed = step.result.status != MPDLL_OK;
        StepReport report{0,           step.name,        failed ? StepState::failed : StepState::passed,
                          step.result, step.duration_ms, {}};
        if (verbose && step.name == "enter") {
            report.exchange = session.last_exchange();
        }
        reports.push_back(std::move(report));
        if (failed) {
            reports.push_back({line, text, StepState::not_run, {}, 0, {}});
            return Outcome::failed;
        }
    }
    if (!session.usage_error().empty()) {
        return Outcome::usage;
    }
    Stopwatch watch;
    Result result = operation.run(session.record());
    StepReport report{line,
                      text,
                      result.status == MPDLL_OK ? StepState::passed : StepState::failed,
                      std::move(result),
                      watch.elapsed_ms(),
                      {}};
    if (verbose && operation.needs != Needs::nothing) {
        report.exchange = session.last_exchange();
    }
    const bool passed = report.state == StepState::passed;
    reports.push_back(std::move(report));
    return passed ? Outcome::passed : Outcome::failed;
}

void print_json(const std::vector<StepReport>& reports, const std::string& plan_name) {
    std::cout << json_document(json_report(reports, plan_name)) << "\n";
}

int usage_failure(const BoardSession& session) {
    std::cerr << "mpctl: " << session.usage_error() << "\n";
    return exit_usage;
}

// A progress line on the terminal while a plan runs.
class Progress {
  public:
    explicit Progress(bool enabled) : enabled_(enabled) {}
    ~Progress() { clear(); }
    void show(std::size_t index, std::size_t total, const std::string& text) {
        if (enabled_) {
            std::cerr << "\r\033[K[" << index << "/" << total << "] " << text << std::flush;
        }
    }
    void clear() {
        if (enabled_) {
            std::cerr << "\r\033[K" << std::flush;
        }
    }

  private:
    bool enabled_;
};

}  // namespace

int run_single(const Operation& operation, const ConnectionOptions& connection, const OutputOptions& output) {
    BoardSession session(connection, !connection.no_enter);
    std::vector<StepReport> reports;
    const Outcome outcome = execute(session, operation, 0, operation.name, output.verbose, reports);
    if (outcome == Outcome::usage) {
        return usage_failure(session);
    }
    if (output.json) {
        print_json(reports, "");
    } else {
        for (const StepReport& report : reports) {
            const bool session_step = &report != &reports.back();
            if (session_step && report.state == StepState::passed && !output.verbose) {
                continue;
            }
            if (report.state != StepState::not_run) {
                print_human(std::cout, report);
            }
        }
    }
    return outcome == Outcome::passed ? exit_ok : exit_failed;
}

int run_plan(const std::vector<PlanStep>& plan, const std::string& plan_name, const ConnectionOptions& connection,
             const OutputOptions& output, bool keep_going) {
    const bool plan_enters = std::any_of(plan.begin(), plan.end(),
                                         [](const PlanStep& step) { return step.operation.needs == Needs::entry; });
    BoardSession session(connection, !connection.no_enter && !plan_enters);
    std::vector<StepReport> reports;
    Progress progress(!output.json && isatty(STDERR_FILENO) == 1);
    bool stopped = false;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const PlanStep& step = plan[i];
        if (stopped) {
            reports.push_back({step.line, step.text, StepState::not_run, {}, 0, {}});
            continue;
        }
        progress.show(i + 1, plan.size(), step.text);
        const std::size_t before = reports.size();
        const Outcome outcome = execute(session, step.operation, step.line, step.text, output.verbose, reports);
        if (outcome == Outcome::usage) {
            progress.clear();
            return usage_failure(session);
        }
        if (output.verbose && !output.json) {
            progress.clear();
            for (std::size_t r = before; r < reports.size(); ++r) {
                if (reports[r].exchange) {
                    std::cout << (reports[r].line > 0 ? std::to_string(reports[r].line) : "-") << " " << reports[r].text
                              << "\n";
                    print_exchange(std::cout, *reports[r].exchange);
                }
            }
        }
        const bool session_failed = reports.back().state == StepState::not_run;
        if (outcome == Outcome::failed && (!keep_going || session_failed)) {
            stopped = true;
        }
    }
    progress.clear();
    const bool all_passed =
        std::none_of(reports.begin(), reports.end(), [](const StepReport& r) { return r.state != StepState::passed; });
    if (output.json) {
        print_json(reports, plan_name);
    } else {
        print_table(std::cout, reports);
    }
    return all_passed ? exit_ok : exit_failed;
}

}  // namespace mpctl
