// One command line over a telnet or serial console (see line_exchange.h).
#include "connection/line_exchange.h"

#include <algorithm>
#include <array>

#include "connection/last_exchange.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

namespace mpdll {

std::int32_t line_exchange(DevContext& dev, std::string_view line, std::span<char> response, bool keepPrompt,
                           std::int32_t wait, const LineConsole& console, const CallTrace& trace) noexcept {
    const std::string_view prompt = field_text(dev.prompt);
    SessionState state = session::load(dev);
    std::array<char, kResponseSize> scratch;  // only the bytes of each read are ever read
    DroppedInput dropped(prompt);
    console.discard(dev, state, dropped, scratch);
    const std::size_t owed = state.owedPrompts - std::min(state.owedPrompts, dropped.prompts());

    std::int32_t status = console.send(dev, line, trace);
    state.owedPrompts = owed;
    if (status != MPDLL_OK) {
        session::store(dev, state);
        return status;
    }
    if (wait > 0) platform::sleep_ms(wait);
    const bool quiet = wait == MPDLL_WAIT_QUIET;
    AnswerFramer framer(FramingRules{line, prompt, state.boardEchoes, owed, quiet, state.prompt_trailer()},
                        dropped.tail());
    // The settle is for the prompt that ends an answer: the quiet wait and an
    // empty prompt end it otherwise.
    const PromptSettle settle(quiet || prompt.empty() ? 0 : state.promptSettleMs);
    status = console.receive(dev, state, framer, wait, settle, trace);
    if (status == MPDLL_OK) framer.close();
    // Line ends inside the line are lines of their own to the shell (a
    // firstCommand that ends in CR gets two): each owes one more prompt.
    state.owedPrompts =
        framer.owed_after() + static_cast<std::size_t>(std::count_if(line.begin(), line.end(),
                                                                     [](char c) { return c == '\r' || c == '\n'; }));
    // Each answered line tells whether the board echoes now, and what its
    // line editor puts behind a prompt.
    if (framer.complete() && line.find_first_not_of("\r\n") != std::string_view::npos)
        state.boardEchoes = framer.echo_seen();
    if (framer.complete() && !quiet) state.learn_prompt_trailer(framer.trailer_seen());
    session::store(dev, state);
    if (status != MPDLL_OK) return status;
    status = console.settle(dev, framer, trace);
    if (status != MPDLL_OK) return status;
    last_exchange::record_received(framer.text());
    copy_text(response, framer.answer(keepPrompt));
    return MPDLL_OK;
}

}  // namespace mpdll
