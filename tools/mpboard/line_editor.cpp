// Line assembly for the board's terminal.
#include "line_editor.h"

namespace mpboard {

std::vector<LineEvent> LineEditor::feed(std::string_view data) {
    std::vector<LineEvent> events;
    std::string typed;
    auto flush_typed = [&] {
        if (!typed.empty()) events.push_back({LineEvent::Kind::typed, std::move(typed)});
        typed.clear();
    };
    for (char c : data) {
        bool was_after_cr = after_cr_;
        after_cr_ = false;
        if (was_after_cr && (c == '\n' || c == '\0')) continue;  // the rest of CR LF / CR NUL
        switch (c) {
            case '\r':
            case '\n':
                flush_typed();
                events.push_back({LineEvent::Kind::line, line_});
                line_.clear();
                after_cr_ = c == '\r';
                break;
            case '\b':
            case '\x7f':
                flush_typed();
                if (!line_.empty()) {
                    line_.pop_back();
                    events.push_back({LineEvent::Kind::erased, {}});
                }
                break;
            case '\x03':
                flush_typed();
                line_.clear();
                events.push_back({LineEvent::Kind::interrupt, {}});
                break;
            case '\x04':
                if (line_.empty()) {
                    flush_typed();
                    events.push_back({LineEvent::Kind::end_of_input, {}});
                }
                break;
            case '\0':
                break;
            default:
                line_ += c;
                typed += c;
        }
    }
    flush_typed();
    return events;
}

}  // namespace mpboard
