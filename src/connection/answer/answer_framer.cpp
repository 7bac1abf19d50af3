// Framing one line's answer in what the board sends back.
#include "connection/answer/answer_framer.h"

#include <algorithm>
#include <cstring>

#include "connection/answer/echo_match.h"

namespace mpdll {

std::string_view without_nul_bytes(char* chunk, std::size_t length) noexcept {
    char* const end = std::remove(chunk, chunk + length, '\0');
    return {chunk, static_cast<std::size_t>(end - chunk)};
}

AnswerFramer::AnswerFramer(const FramingRules& rules, std::string_view before) noexcept
    : rules_(rules), finder_(rules.prompt), overflowPrompts_(rules.prompt) {
    base_ = std::min(before.size(), kFieldSize);
    if (base_ > 0) std::memcpy(text_.data(), before.data() + before.size() - base_, base_);
    length_ = base_;
    e_.answerStart = e_.answerEnd = base_;
}

bool AnswerFramer::add(std::string_view text) noexcept {
    if (text.empty()) return e_.complete;
    // Text after the end re-opens the answer, to be framed again whole.
    const bool wasComplete = e_.complete;
    if (wasComplete) lastComplete_ = e_;
    e_.complete = e_.satisfied = false;
    anyData_ = true;
    const std::size_t room = text_.size() - 1 - length_;
    const std::size_t kept = overflowed_ ? 0 : std::min(room, text.size());
    std::memcpy(text_.data() + length_, text.data(), kept);
    length_ += kept;
    if (kept < text.size()) {
        if (!overflowed_) {
            // The counting goes on from the kept text's last bytes, so a
            // prompt split at the edge is seen.
            overflowed_ = true;
            const std::size_t seam = std::min<std::size_t>(length_ - base_, kFieldSize - 1);
            overflowPrompts_.feed(std::string_view(text_.data() + length_ - seam, seam));
            overflowBytes_ = 0;
        }
        overflowPrompts_.feed(text.substr(kept));
        overflowBytes_ += text.size() - kept;
    }
    if (wasComplete || rules_.quiet || rules_.prompt.empty() || ends_with_prompt_now()) evaluate(false);
    return e_.complete;
}

bool AnswerFramer::close() noexcept {
    if (!e_.complete) evaluate(true);
    if (reopened()) e_ = lastComplete_;
    return e_.complete;
}

std::size_t AnswerFramer::end_before_terminal_controls() const noexcept {
    return std::max(base_, end_before_trailing_controls(std::string_view(text_.data(), length_)));
}

bool AnswerFramer::ends_with_prompt_now() const noexcept {
    if (!overflowed_) {
        const std::size_t end = end_before_terminal_controls();
        return mpdll::ends_with_prompt(std::string_view(text_.data(), end), rules_.prompt) && end > base_;
    }
    const std::size_t count = overflowPrompts_.count();
    // The counter's positions start at the seam fed first.
    const std::uint64_t seam = std::min<std::size_t>(length_ - base_, kFieldSize - 1);
    return count > 0 && overflowPrompts_.end_of(count) == seam + overflowBytes_;
}

void AnswerFramer::evaluate(bool fallback) noexcept {
    const std::string_view all(text_.data(), length_);
    const std::string_view line = rules_.line;

    // This line's echo: the first one after the start, or a later one that a
    // line editor drew again right after a prompt (the line was typed ahead
    // while an earlier one still ran).
    EchoAt echo = line.empty() ? EchoAt{} : first_echo(all, base_, line);
    const bool echoInProgress = echo.match == EchoMatch::partial && echo.start == base_;
    if (echo.match == EchoMatch::whole) {
        for (PromptAt p = finder_.next(all, echo.end); p.start != std::string_view::npos;) {
            const EchoAt again = echo_at(all, past_terminal_controls(all, p.end), line);
            if (again.match == EchoMatch::whole) echo = again;
            p = finder_.next(all, again.match == EchoMatch::whole ? again.end : p.end);
        }
    }
    e_.echo = echo.match == EchoMatch::whole;

    // The prompts before the echo pay what earlier lines owe; those inside it
    // are part of the typed line; after it, the ones still owed are passed
    // over and the one that ends the text ends the answer.
    std::size_t before = 0, after = 0;
    std::size_t owedLeft = rules_.owed;
    std::size_t start = e_.echo ? echo.end : base_;
    std::size_t previousEnd = start, lastCountedEnd = start;
    PromptAt last{std::string_view::npos, 0};
    const std::size_t textEnd = end_before_terminal_controls();
    std::size_t lastEnd = base_;
    for (PromptAt p = finder_.next(all, 0); p.start != std::string_view::npos; p = finder_.next(all, p.end)) {
        // A shell prints its prompt at the start of a line; the prompt's text
        // after other text on a line ("notes# todo") is output, unless it is
        // the very end of what came.
        const bool atLineStart = p.start == 0 || all[p.start - 1] == '\r' || all[p.start - 1] == '\n' ||
                                 p.start == lastEnd || p.start == base_ || (e_.echo && p.start == echo.end);
        if (!atLineStart && p.end != textEnd) continue;
        last = p;
        lastEnd = p.end;
        if (p.end <= base_) continue;
        if (e_.echo && p.end <= echo.start) {
            owedLeft = rules_.owed - std::min(rules_.owed, ++before);
            continue;
        }
        if (e_.echo && p.start < echo.end) continue;
        if (++after == owedLeft) start = p.end;
        previousEnd = lastCountedEnd;
        lastCountedEnd = p.end;
    }
    // Prompts in the text beyond what is kept come after everything kept.
    const std::size_t beyond = overflowed_ ? overflowPrompts_.count() : 0;
    if (after < owedLeft && after + beyond >= owedLeft) start = length_;
    const bool endsWithPrompt = overflowed_ ? ends_with_prompt_now() : last.end == textEnd && last.end > base_;
    // A board whose real prompts carry a trailer shows it behind this one
    // too, else the prompt's text is output that only looks like it.
    const std::string_view behind = all.substr(std::min(last.end, length_));
    const bool trailerMissing = !rules_.promptTrailer.empty() && endsWithPrompt && !overflowed_ &&
                                behind.substr(0, rules_.promptTrailer.size()) != rules_.promptTrailer;
    e_.trailerStart = endsWithPrompt && !overflowed_ ? last.end : length_;
    e_.trailerLength = endsWithPrompt && !overflowed_ ? length_ - last.end : 0;
    const bool mayEndWithoutEcho = !e_.echo && !echoInProgress && (fallback || !rules_.echoExpected);

    e_.counted = after + beyond;
    e_.needed = owedLeft + 1;
    e_.lineReached = e_.echo || !rules_.echoExpected;
    e_.startKnown = e_.counted >= owedLeft;
    e_.answerStart = std::min(start, length_);
    e_.answerEnd = endsWithPrompt && !overflowed_ ? std::max(e_.answerStart, last.start) : length_;
    if (rules_.quiet || rules_.prompt.empty()) {
        // The burst as it came, without the echo, what still belongs to
        // earlier lines and a prompt at its end.
        if (!e_.startKnown) e_.answerStart = e_.answerEnd;
        e_.startKnown = true;
        e_.satisfied = rules_.prompt.empty() ? anyData_ : endsWithPrompt && e_.counted >= e_.needed;
    } else {
        e_.satisfied = endsWithPrompt && !trailerMissing && e_.counted >= e_.needed && (e_.echo || mayEndWithoutEcho);
    }
    e_.complete = rules_.quiet || rules_.prompt.empty() ? anyData_ : e_.satisfied;
    // Waiting on a quiet board: for prompts it may no longer owe, or for an
    // echo it may no longer give.
    const bool owing = e_.counted > 0 && (e_.echo || !rules_.echoExpected);
    const bool echoMissing = !e_.echo && !echoInProgress && rules_.echoExpected && e_.counted >= e_.needed;
    const bool onlyTrailerMissing = trailerMissing && e_.counted >= e_.needed && (e_.echo || mayEndWithoutEcho);
    e_.idleCandidate = !e_.complete && endsWithPrompt && !overflowed_ && (owing || echoMissing || onlyTrailerMissing);
    e_.echoMissing = e_.idleCandidate && (echoMissing || onlyTrailerMissing);
    e_.idleStart = previousEnd;
    e_.idleEnd = std::max(previousEnd, last.start == std::string_view::npos ? length_ : last.start);
}

void AnswerFramer::take_idle_prompt() noexcept {
    if (!idle_at_prompt_owing()) return;
    e_.answerStart = e_.idleStart;
    e_.answerEnd = e_.idleEnd;
    e_.startKnown = true;
    e_.satisfied = e_.complete = true;
}

std::string_view AnswerFramer::answer(bool keepPrompt) const noexcept {
    if (!e_.startKnown) return {};
    const std::size_t end = keepPrompt ? length_ : e_.answerEnd;
    return {text_.data() + e_.answerStart, end - e_.answerStart};
}

std::size_t AnswerFramer::owed_after() const noexcept {
    if (rules_.prompt.empty() || e_.satisfied) return 0;
    if (!e_.lineReached) return rules_.owed - std::min(rules_.owed, e_.counted);
    return e_.idleCandidate ? e_.needed - std::min(e_.needed, e_.counted) : e_.needed;
}

}  // namespace mpdll
