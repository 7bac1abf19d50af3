// Opening, entering and closing the board for a run of operations.
#include "open_failure.h"
#include "board_session.h"

#include "refusal.h"
#include "stopwatch.h"
#include "text_escapes.h"

#include <vector>

namespace mpctl {

std::int32_t enter_test_mode(DevContext& dev) {
    const std::int32_t status = EnterMP(&dev);
    return status == MPDLL_OK && dev.mode == MPDLL_MODE_UDP ? mp_start(&dev) : status;
}

std::string connection_problem(const ConnectionOptions& options, Needs needs) {
    DevContext scratch{};
    return needs == Needs::nothing ? fill_names(options, scratch) : fill_record(options, scratch);
}

BoardSession::BoardSession(const ConnectionOptions& options, bool auto_enter)
    : options_(options), dev_(std::make_unique<DevContext>()), auto_enter_(auto_enter) {}

BoardSession::~BoardSession() {
    if (open_) {
        CloseDev(dev_.get(), dev_->openFlags);
    }
}

std::vector<SessionStep> BoardSession::prepare(Needs needs) {
    // The options passed connection_problem() before the run: filling the
    // record cannot fail here.
    std::vector<SessionStep> steps;
    if (needs == Needs::nothing) {
        if (!filled_ && !open_) {
            fill_names(options_, *dev_);
            filled_ = true;
        }
        return steps;
    }
    if (!open_) {
        fill_record(options_, *dev_);
        filled_ = true;
        Stopwatch watch;
        SessionStep step{"open " + describe(options_), {}, 0};
        step.result.status = OpenDev(dev_.get());
        open_ = step.result.status == MPDLL_OK;
        if (open_ && options_.prompt_settle != 0) {
            // The options passed connection_problem(): the library takes the value.
            step.result.status = MpdllSetPromptSettle(dev_.get(), options_.prompt_settle);
        }
        step.duration_ms = watch.elapsed_ms();
        if (!open_) step.result.values = open_failure_values(*dev_);
        const bool ready = step.result.status == MPDLL_OK;
        steps.push_back(std::move(step));
        if (!ready) {
            return steps;
        }
    }
    if (needs == Needs::board && auto_enter_ && !entered_) {
        Stopwatch watch;
        SessionStep step{"enter", {}, 0};
        step.result.status = enter_test_mode(*dev_);
        step.duration_ms = watch.elapsed_ms();
        entered_ = step.result.status == MPDLL_OK;
        steps.push_back(std::move(step));
    }
    if (needs == Needs::entry) {
        entered_ = true;  // the plan enters the test mode itself
    }
    return steps;
}

Exchange BoardSession::last_exchange() const {
    std::vector<char> sent(MPDLL_COMMAND_SIZE + 1, '\0');
    std::vector<char> received(MPDLL_RESPONSE_SIZE + 1, '\0');
    GetBuffer(dev_.get(), sent.data(), MPDLL_COMMAND_SIZE, received.data(), MPDLL_RESPONSE_SIZE);
    return {masked(std::string(sent.data()), options_.password),
            masked(std::string(received.data()), options_.password)};
}

std::string BoardSession::last_answer() const { return answer_of(last_exchange(), unescape(options_.prompt)); }

}  // namespace mpctl
