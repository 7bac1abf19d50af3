// The replayed board's terminal session.
#include "replay_session.h"

#include "replay_play.h"

namespace mpboard {

ReplaySession::ReplaySession(const ReplayScript& script, Channel& channel, double speed, const StopSignal& stop)
    : script_(script), channel_(channel), speed_(speed), stop_(stop) {}

void ReplaySession::run() {
    const auto send = [this](const std::string& bytes) { return channel_.send(bytes); };
    for (const ReplayTurn& turn : script_.login()) {
        if (!turn.input.empty() && !await_turn(turn.input)) return;
        if (!play_answer(turn.outputs, speed_, stop_, send)) return;
    }
    for (;;) {
        drop_rest_of_line_end();
        const std::string received = std::move(pending_);
        pending_.clear();
        for (const LineEvent& event : editor_.feed(received)) {
            if (event.kind == LineEvent::Kind::end_of_input) return;
            if (event.kind == LineEvent::Kind::line && !answer_line(event.text)) return;
        }
        if (channel_.read(-1, pending_) == Channel::ReadResult::closed) return;
    }
}

bool ReplaySession::await_turn(const std::string& input) {
    constexpr int kQuietMs = 200;  // a turn without a line end ends when the caller goes quiet
    const bool line = input.find_first_of("\r\n") != std::string::npos;
    for (;;) {
        drop_rest_of_line_end();
        if (line) {
            const std::size_t end = pending_.find_first_of("\r\n");
            if (end != std::string::npos) {
                after_cr_ = pending_[end] == '\r';
                pending_.erase(0, end + 1);
                return true;
            }
        } else if (pending_.size() >= input.size()) {
            pending_.erase(0, input.size());
            return true;
        }
        const Channel::ReadResult result = channel_.read(line ? -1 : kQuietMs, pending_);
        if (result == Channel::ReadResult::closed) return false;
        if (result == Channel::ReadResult::timeout && !line && !pending_.empty()) {
            pending_.clear();
            return true;
        }
    }
}

// The LF or NUL of a CR LF or CR NUL whose CR ended the last turn.
void ReplaySession::drop_rest_of_line_end() {
    if (!after_cr_ || pending_.empty()) return;
    if (pending_.front() == '\n' || pending_.front() == '\0') pending_.erase(0, 1);
    after_cr_ = false;
}

bool ReplaySession::answer_line(const std::string& line) {
    const ReplayAnswer* recorded = script_.answer(line, times_seen_[line]++);
    if (!recorded) return channel_.send(script_.not_found(line));
    return play_answer(*recorded, speed_, stop_, [this](const std::string& bytes) { return channel_.send(bytes); });
}

}  // namespace mpboard
