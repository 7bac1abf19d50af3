// Framing one line's answer in what the board sends back, as a pure
// function of the received text (no I/O here).
//
// A terminal echoes a typed line at once while the shell answers later, and
// a shell that was still busy with an earlier line answers that one first.
// So the answer to a line begins after the echo of that line, when the board
// echoes: whatever came before it (a late answer to an earlier line, its
// prompt) is not this line's. A prompt ends the answer only where it ends
// all the text received so far, after that echo: never inside the echo,
// never in mid-text with more behind it. The prompts the board still owes
// earlier lines (their receives ended without one) are passed over first.
// Where this line's echo is not recognised, the rules of a board without
// echo apply: the prompt that ends the text, after those owed, ends it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "connection/answer/prompt_search.h"
#include "text/buffer_sizes.h"

namespace mpdll {

// How long the board must have sat quiet at a prompt when a receive window
// ends, while it still owes earlier lines theirs, for that prompt to be taken
// as this line's: far longer than a shell takes to start on the next line
// typed ahead.
inline constexpr std::uint64_t kIdlePromptMs = 2000;

struct FramingRules {
    std::string_view line;      // the line sent; empty for a bare receive
    std::string_view prompt;    // the board's prompt; empty: the first data ends it
    bool echoExpected = false;  // the board is known to echo its lines
    std::size_t owed = 0;       // prompts the board still owes earlier lines
    bool quiet = false;         // the first burst ends the answer (no prompt looked for)
    // What the board's line editor puts right behind each real prompt (a
    // terminal query, a colour change); empty when it puts nothing.
    std::string_view promptTrailer = {};
};

class AnswerFramer {
  public:
    // before: the newest bytes received ahead of this exchange, after the
    // last prompt in them (at most a prompt's length), so that a prompt
    // split around the start of the exchange is still seen whole.
    explicit AnswerFramer(const FramingRules& rules, std::string_view before = {}) noexcept;

    // Takes the next received text (telnet commands and NUL bytes already
    // taken out). True once the answer is complete. Text that comes after
    // the answer was complete re-opens it: all the text is framed again by
    // the same rules (a receive that waits for the board to settle after
    // the prompt reads on).
    bool add(std::string_view text) noexcept;
    bool complete() const noexcept { return e_.complete; }
    // Text re-opened a complete answer and no prompt has ended it again (a
    // kernel message on the console after the prompt). Should the receive
    // end so, close() takes the answer that prompt ended: what came after
    // it is not this line's.
    bool reopened() const noexcept { return lastComplete_.complete && !e_.complete; }
    // The text ends with a prompt, but fewer came than this answer needs
    // (the board owes earlier lines more), or the echo of this line never
    // came from a board that echoed before: either the board is still
    // answering lines typed ahead, or the debt was wrong (a prompt lost on
    // the line) or the board stopped echoing. Only time tells: when the
    // receive window ends with the board quiet at that prompt for
    // kIdlePromptMs, take_idle_prompt() makes it this line's.
    bool idle_at_prompt_owing() const noexcept { return e_.idleCandidate && !e_.complete; }
    // Of those, the cases a quiet board settles within the window: only this
    // line's echo is missing (the board stopped echoing), or only the
    // trailer a real prompt of this board carries (its line editor stopped
    // putting it there).
    bool only_echo_missing() const noexcept { return e_.echoMissing && !e_.complete; }
    // The board stayed quiet at the prompt ending the text: the answer is
    // the text before that prompt, after the one before it (or the echo).
    void take_idle_prompt() noexcept;
    // The receive ended without a complete answer: where this line's echo was
    // not recognised, the rules of a board without echo decide; a re-opened
    // answer is the one completed before. True when the answer is complete.
    bool close() noexcept;

    // This line's own answer: after its echo, without the prompt that ended
    // it (with it when keepPrompt). Before the end, or after a close that did
    // not complete it, the part received so far that is surely this line's
    // (possibly nothing).
    std::string_view answer(bool keepPrompt) const noexcept;
    // Everything this exchange received, as far as it is kept (16383 bytes).
    std::string_view text() const noexcept { return {text_.data() + base_, length_ - base_}; }
    bool echo_seen() const noexcept { return e_.echo; }
    // The terminal controls behind the prompt that ended the answer.
    std::string_view trailer_seen() const noexcept { return {text_.data() + e_.trailerStart, e_.trailerLength}; }
    // The prompts the board owes once this receive ends: none when this
    // answer came whole; when the text ended with a prompt, those still not
    // seen; otherwise those owed and this line's, none of the prompts in
    // mid-text counted (they may be no prompts at all). A line whose echo
    // never came on an echoing board never reached the shell and adds
    // nothing. A debt lives only until the board sits quiet at a prompt.
    std::size_t owed_after() const noexcept;

  private:
    void evaluate(bool fallback) noexcept;
    bool ends_with_prompt_now() const noexcept;
    // The end of the text before the terminal control sequences at its end.
    std::size_t end_before_terminal_controls() const noexcept;

    FramingRules rules_;
    PromptFinder finder_;
    std::array<char, kResponseSize> text_;  // only its first length_ bytes are ever read
    std::size_t base_ = 0;                  // carried bytes at the front of text_
    std::size_t length_ = 0;                // bytes kept in text_, carried ones included
    // Text beyond what text_ keeps is only counted for prompts.
    bool overflowed_ = false;
    PromptCounter overflowPrompts_;
    std::uint64_t overflowBytes_ = 0;
    bool anyData_ = false;

    // An evaluation of the text received so far.
    struct Evaluation {
        bool complete = false;
        bool satisfied = false;  // the prompt rule ended the answer
        bool echo = false;
        std::size_t counted = 0;  // prompts after the echo (or, without one, all)
        std::size_t needed = 1;   // prompts that end this answer, owed ones included
        std::size_t answerStart = 0, answerEnd = 0;
        bool startKnown = false;
        bool lineReached = true;  // false: an echoing board never echoed this line
        bool idleCandidate = false;
        std::size_t trailerStart = 0, trailerLength = 0;
        bool echoMissing = false;
        std::size_t idleStart = 0;  // after the prompt before the last one, or the echo
        std::size_t idleEnd = 0;    // where the last prompt starts
    };
    Evaluation e_;             // the last one
    Evaluation lastComplete_;  // the last complete one that text re-opened (none: not complete)
};

// The text of a received chunk with its NUL bytes (a CR NUL line end, noise
// on the line) dropped in place.
std::string_view without_nul_bytes(char* chunk, std::size_t length) noexcept;

}  // namespace mpdll
