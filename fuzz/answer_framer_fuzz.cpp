// Framing a line's answer out of any received text in any chunking, with any
// line, prompt, echo knowledge and debt: the answer always lies inside the
// kept text, a complete answer ends where the prompt ends the text, and the
// debt after it never grows by more than this one line.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "connection/answer/answer_framer.h"
#include "support/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string line = input.ConsumeRandomLengthString(64);
    const std::string prompt = input.ConsumeRandomLengthString(8);
    const bool echoExpected = input.ConsumeBool();
    const std::size_t owed = input.ConsumeIntegralInRange<std::size_t>(0, 4);
    const bool quiet = input.ConsumeBool();
    const std::string before = input.ConsumeRandomLengthString(8);
    mpdll::AnswerFramer framer(mpdll::FramingRules{line, prompt, echoExpected, owed, quiet}, before);
    while (input.remaining_bytes() > 0) {
        const std::string chunk = input.ConsumeRandomLengthString(200);
        if (chunk.empty() && input.remaining_bytes() == 0) break;
        const bool complete = framer.add(chunk);
        if (complete) break;
        if (input.ConsumeBool() && framer.idle_at_prompt_owing()) framer.take_idle_prompt();
        if (framer.complete()) break;
    }
    framer.close();
    const std::string_view text = framer.text();
    for (const bool keepPrompt : {false, true}) {
        const std::string_view answer = framer.answer(keepPrompt);
        FUZZ_CHECK(answer.empty() || (answer.data() >= text.data() - before.size() &&
                                      answer.data() + answer.size() <= text.data() + text.size()));
    }
    FUZZ_CHECK(framer.owed_after() <= owed + 1);
    return 0;
}
