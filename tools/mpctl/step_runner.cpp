// One step in a session: run in its turn, then judged.
#include "step_runner.h"

#include "refusal.h"
#include "stopwatch.h"

#include <mutex>

namespace mpctl {

namespace {

// What a call left: its result and time, and what the board said when that
// is to be kept or judged.
struct Ran {
    Result result;
    std::int64_t duration_ms = 0;
    std::optional<Exchange> exchange;
    std::string answer;
};

// Runs call in the turn it needs: alone when the last exchange is read
// after it; with no turn at all when it does not touch the library's
// exchanges (conversions, waiting).
template <typename Call>
Ran in_turn(ExchangeTurns& turns, Needs needs, bool alone, Call call) {
    if (needs == Needs::nothing) {
        return call();
    }
    if (alone) {
        std::unique_lock lock(turns);
        return call();
    }
    std::shared_lock lock(turns);
    return call();
}

std::string joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : separator) + part;
    }
    return text;
}

// Fails the step on a failing status, an output the library left unwritten,
// a refusal in the answer (judged: the answer was read for one) or a limit
// not kept.
void give_verdict(StepReport& report, const std::vector<Expectation>& expectations, const Ran& ran, bool judged,
                  const Judging& judging) {
    std::vector<std::string> reasons;
    if (!report.result.unwritten.empty()) {
        reasons.push_back("the library wrote no " + joined(report.result.unwritten, ", "));
    }
    if (const std::string refusal = judged ? refusal_in(ran.answer, judging.refusals) : ""; !refusal.empty()) {
        reasons.push_back("the board refused (\"" + refusal + "\"): " + ran.answer);
    }
    for (const Expectation& expectation : expectations) {
        report.checks.push_back(evaluate(expectation, report.result.values));
        if (!report.checks.back().passed) {
            reasons.push_back(report.checks.back().why);
        }
    }
    const bool failed = report.result.status != MPDLL_OK || !reasons.empty();
    report.reason = report.result.status == MPDLL_OK ? joined(reasons, "; ") : "";
    report.state = failed ? StepState::failed : StepState::passed;
}

// The answer is judged for a refusal over telnet and serial; over UDP the
// library judges the reply itself.
bool judges_answer(const BoardSession& session, Kind kind, const Judging& judging) {
    return judging.strict && kind == Kind::setting && !session.over_udp();
}

// Opens and enters as the step needs; false when that failed.
bool prepare(BoardSession& session, const PlanStep& step, const Judging& judging, ExchangeTurns& turns,
             std::vector<StepReport>& reports) {
    const bool judged = judges_answer(session, Kind::setting, judging);
    std::vector<SessionStep> steps;
    const Ran entry = in_turn(turns, step.operation.needs, judging.verbose || judged, [&] {
        steps = session.prepare(step.operation.needs);
        const bool entered = !steps.empty() && steps.back().name == "enter";
        return entered && (judging.verbose || judged)
                   ? Ran{{}, 0, session.last_exchange(), judged ? session.last_answer() : ""}
                   : Ran{};
    });
    for (SessionStep& session_step : steps) {
        const bool is_entry = session_step.name == "enter";
        StepReport report{0, session_step.name, StepState::passed, std::move(session_step.result),
                          session_step.duration_ms};
        report.exchange = is_entry && judging.verbose ? entry.exchange : std::nullopt;
        give_verdict(report, {}, entry, is_entry && judged, judging);
        reports.push_back(std::move(report));
        if (reports.back().state == StepState::failed) {
            reports.push_back({step.line, step.text, StepState::not_run, {}, 0});
            return false;
        }
    }
    return true;
}

}  // namespace

bool run_step(BoardSession& session, const PlanStep& step, const Judging& judging, ExchangeTurns& turns,
              std::vector<StepReport>& reports) {
    if (!prepare(session, step, judging, turns, reports)) {
        return false;
    }
    const Operation& operation = step.operation;
    const bool judged = judges_answer(session, operation.kind, judging);
    const bool verbose = judging.verbose && operation.needs != Needs::nothing;
    const Ran ran = in_turn(turns, operation.needs, verbose || judged, [&] {
        Stopwatch watch;
        Ran result{operation.run(session.record()), 0, std::nullopt, {}};
        result.duration_ms = watch.elapsed_ms();
        if (verbose) {
            result.exchange = session.last_exchange();
        }
        if (judged) {
            result.answer = session.last_answer();
        }
        return result;
    });
    StepReport report{step.line, step.text, StepState::passed, ran.result, ran.duration_ms};
    report.exchange = ran.exchange;
    give_verdict(report, operation.expectations, ran, judged, judging);
    reports.push_back(std::move(report));
    return reports.back().state == StepState::passed;
}

}  // namespace mpctl
