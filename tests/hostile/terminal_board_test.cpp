// The library against a board modelled on a real console: a pseudo-terminal
// whose line discipline echoes each line at once, and a shell behind it that
// answers later (support/terminal_board.h), reached over telnet and as a
// serial console. After any single fault (a prompt's text in the echo or in
// an answer, a line lost on the way, a line never answered, a late answer),
// no call may return success with another line's text, every call ends
// within its limit, and the next line the board answers returns its own
// answer (a board without echo may fail one more line).
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "support/busy_cores.h"
#include "support/stopwatch.h"
#include "support/terminal_link.h"

namespace {

using mpdll::test::BusyCores;
using mpdll::test::ShellScript;
using mpdll::test::ShellStep;
using mpdll::test::Stopwatch;
using mpdll::test::TerminalBoard;
using mpdll::test::TerminalLink;
using mpdll::test::Wire;

struct BoardKind {
    const char* name;
    Wire wire;
    bool echo;
};
void PrintTo(const BoardKind& b, std::ostream* out) { *out << b.name; }

const BoardKind kTelnet{"telnet", Wire::telnet, true};
const BoardKind kTelnetWithoutEcho{"telnet_without_echo", Wire::telnet, false};
const BoardKind kSerial{"serial", Wire::serial, true};
const BoardKind kSerialWithoutEcho{"serial_without_echo", Wire::serial, false};

// The longest one call may take: telnet's receive window is 5 to 6 s;
// serial's receive ends within 5000 ms of a send whose drain is bounded by
// the record's 500 ms. A little more for the scheduler, more on busy cores.
double call_limit(Wire wire, bool loaded) { return (wire == Wire::telnet ? 6.0 : 5.5) + (loaded ? 0.8 : 0.3); }

// One call and what it returned.
struct Outcome {
    std::string line;
    std::int32_t status = 0;
    std::string value;
    double seconds = 0;
    double startedAt = 0;  // since the fault's first call began
};
std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "[" << o.line << "] started at " << o.startedAt << " s: status " << o.status << ", value \""
               << o.value << "\", " << o.seconds << " s";
}

// The value the stand-in shell gives "flash get NAME" (NAME its first word).
std::string own_value(const std::string& name) { return "v_" + name.substr(0, name.find(' ')); }

Outcome flash_get(DevContext* dev, const std::string& name, const Stopwatch& sinceFault) {
    std::vector<char> value(16384);
    Outcome outcome{"flash get " + name};
    outcome.startedAt = sinceFault.seconds();
    const Stopwatch clock;
    outcome.status = FlashGet(dev, name.c_str(), value.data());
    outcome.seconds = clock.seconds();
    outcome.value = value.data();
    return outcome;
}

// A failing call is allowed; a successful one must carry its own value.
void expect_own_or_failed(const Outcome& o, const std::string& expected, double limit) {
    if (o.status == MPDLL_OK) {
        EXPECT_EQ(o.value, expected) << "another line's answer taken as success: " << o;
    }
    EXPECT_LT(o.seconds, limit) << o;
}

std::string next_probe_name() {
    static std::atomic<int> count{0};
    return "P" + std::to_string(++count);
}

// Probes the board line after line until one returns its own value. Every
// probe returns its own value or fails, within the limit; of the probes sent
// once the board is free again (boardFreeAt seconds after the fault began),
// at most allowedFailures may fail before one succeeds.
void expect_next_answer_own(TerminalLink& link, const Stopwatch& sinceFault, double boardFreeAt, int allowedFailures,
                            double limit, int mostProbes = 6) {
    int failuresOnceFree = 0;
    for (int probe = 0; probe < mostProbes; ++probe) {
        const std::string name = next_probe_name();
        const Outcome o = flash_get(link.dev(), name, sinceFault);
        expect_own_or_failed(o, own_value(name), limit);
        if (o.status == MPDLL_OK && o.value == own_value(name)) return;
        if (o.startedAt >= boardFreeAt && ++failuresOnceFree > allowedFailures)
            ADD_FAILURE() << "a line failed though the board was free and answered it: " << o;
    }
    ADD_FAILURE() << "no line got its own answer in " << mostProbes << " probes";
}

// ---- One fault, then the next lines ---------------------------------------

struct Fault {
    const char* name;
    // Scripts the board (or the line to it) before the first call.
    std::function<void(TerminalLink&)> arrange;
    // FlashGet names run from the fault on, in order.
    std::vector<std::string> names;
    // The faulted calls must succeed with their own value.
    bool mustSucceed;
    // Seconds after the first call began by which the board has answered
    // every faulted line (and is free for the next).
    double boardFreeAt;
    // The probes start no earlier than this, in seconds after the first call.
    double probesFrom = 0;
};
void PrintTo(const Fault& f, std::ostream* out) { *out << f.name; }

ShellScript answer_then_prompt(int delayMs, const std::string& answer) {
    return {ShellStep{delayMs, answer}, ShellStep{0, "# "}};
}

const Fault kFaults[] = {
    {"prompt_text_in_the_echo", [](TerminalLink&) {}, {"XCAP # crystal trim", "THER", "SSID"}, true, 0},
    {"dropped_line", [](TerminalLink& l) { l.board().drop_next("flash get XCAP"); }, {"XCAP"}, false, 0},
    {"mute_line", [](TerminalLink& l) { l.board().script_next("flash get XCAP", {}); }, {"XCAP"}, false, 0},
    {"answer_without_prompt",
     [](TerminalLink& l) {
         l.board().script_next("flash get XCAP", {ShellStep{200, "XCAP=v_XCAP\n"}});
     },
     {"XCAP"},
     false,
     0.3},
    {"late_6s",
     [](TerminalLink& l) { l.board().script_next("flash get XCAP", answer_then_prompt(6000, "XCAP=v_XCAP\n")); },
     {"XCAP"},
     false,
     6.3},
    {"late_then_a_slow_line",
     [](TerminalLink& l) {
         l.board().script_next("flash get XCAP", answer_then_prompt(6500, "XCAP=v_XCAP\n"));
         l.board().script_next("flash get SLOW", answer_then_prompt(2500, "SLOW=v_SLOW\n"));
     },
     {"XCAP", "SLOW"},
     false,
     9.3},
    {"late_prompt_split_around_the_next_line",
     [](TerminalLink& l) {
         l.board().script_next("flash get XCAP", {ShellStep{6300, "XCAP=v_XCAP\n#"}, ShellStep{0, " ", true}});
     },
     {"XCAP"},
     false,
     6.5,
     7.0},
};

// Output that holds the prompt's own text right where a write ends, or a
// prompt printed twice: on a console whose terminal echoes a typed line at
// once while the shell has no line editor, or that does not echo at all,
// such a prompt cannot be told from the real one except by waiting. Without
// a settle after the prompt the answer ends at that text and the answers
// stay shifted until the caller pauses; with one (MpdllSetPromptSettle
// longer than the board's pause) each line gets its own whole answer, and
// a kernel message after the real prompt (in a read of its own: later than
// the console's read interval) ends no answer late.
const Fault kPromptTextAtTheEndOfAWrite[] = {
    {"answer_split_after_prompt_text",
     [](TerminalLink& l) {
         l.board().script_next("flash get XCAP",
                               {ShellStep{200, "# "}, ShellStep{150, "settings\nXCAP=v_XCAP\n"}, ShellStep{0, "# "}});
     },
     {"XCAP"},
     true,
     0.5},
    {"answer_holding_prompt_text_then_more",
     [](TerminalLink& l) {
         l.board().script_next("flash get XCAP",
                               {ShellStep{200, "XCAP=v_XCAP\n# "}, ShellStep{150, "trim\n"}, ShellStep{0, "# "}});
     },
     {"XCAP"},
     true,
     0.5},
    {"stray_prompt_after_an_answer",
     [](TerminalLink& l) {
         l.board().script_next("flash get XCAP", {ShellStep{200, "XCAP=v_XCAP\n# "}, ShellStep{100, "# "}});
     },
     {"XCAP"},
     true,
     0.4},
    {"kernel_line_after_the_prompt",
     [](TerminalLink& l) {
         l.board().script_next("flash get XCAP",
                               {ShellStep{200, "XCAP=v_XCAP\n# "}, ShellStep{250, "[  12.345678] usb 1-1: new device\n"}});
     },
     {"XCAP"},
     true,
     0.4},
};

// The settle the cases below give the record: longer than any pause the
// board makes after the prompt's text, on busy cores too.
constexpr std::int32_t kSettleMs = 400;

class SingleFault : public ::testing::TestWithParam<std::tuple<BoardKind, Fault>> {
  protected:
    // settleMs: the record's settle after the prompt (0: none).
    void run_fault(bool loaded, std::int32_t settleMs = 0) {
        const auto& [kind, fault] = GetParam();
        TerminalLink link(kind.wire, kind.echo);
        ASSERT_TRUE(link.board().ready());
        ASSERT_EQ(link.open(), MPDLL_OK);
        if (settleMs > 0) {
            ASSERT_EQ(MpdllSetPromptSettle(link.dev(), settleMs), MPDLL_OK);
        }
        const double limit = call_limit(kind.wire, loaded);
        fault.arrange(link);
        const Stopwatch sinceFault;
        for (const std::string& name : fault.names) {
            const Outcome o = flash_get(link.dev(), name, sinceFault);
            if (fault.mustSucceed) {
                EXPECT_EQ(o.status, MPDLL_OK) << o;
                EXPECT_EQ(o.value, own_value(name)) << o;
                EXPECT_LT(o.seconds, 2.0) << "ended by a window, not by the prompt: " << o;
            } else {
                expect_own_or_failed(o, own_value(name), limit);
            }
        }
        while (sinceFault.seconds() < fault.probesFrom) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        expect_next_answer_own(link, sinceFault, fault.boardFreeAt, kind.echo ? 0 : 1, limit);
    }
};

TEST_P(SingleFault, CostsOnlyItsOwnLine) { run_fault(false); }

INSTANTIATE_TEST_SUITE_P(Boards, SingleFault,
                         ::testing::Combine(::testing::Values(kTelnet, kTelnetWithoutEcho, kSerial, kSerialWithoutEcho),
                                            ::testing::ValuesIn(kFaults)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

// With the settle: the prompt's text at the end of a write no longer ends
// an answer, and every fault above still costs only its own line.
class SettledSingleFault : public SingleFault {};

TEST_P(SettledSingleFault, CostsOnlyItsOwnLine) { run_fault(false, kSettleMs); }

INSTANTIATE_TEST_SUITE_P(PromptTextAtTheEndOfAWrite, SettledSingleFault,
                         ::testing::Combine(::testing::Values(kTelnet, kTelnetWithoutEcho, kSerial, kSerialWithoutEcho),
                                            ::testing::ValuesIn(kPromptTextAtTheEndOfAWrite)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

INSTANTIATE_TEST_SUITE_P(Boards, SettledSingleFault,
                         ::testing::Combine(::testing::Values(kTelnet, kTelnetWithoutEcho, kSerial, kSerialWithoutEcho),
                                            ::testing::ValuesIn(kFaults)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

// The synchronisation cases again while two busy processes load both cores.
class LoadedSingleFault : public SingleFault {
  private:
    BusyCores load_;
};

TEST_P(LoadedSingleFault, CostsOnlyItsOwnLine) { run_fault(true); }

INSTANTIATE_TEST_SUITE_P(Boards, LoadedSingleFault,
                         ::testing::Combine(::testing::Values(kTelnet, kSerial),
                                            ::testing::Values(kFaults[0], kFaults[2], kFaults[6])),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

// The prompt's text at the end of a write, with the settle, on busy cores.
class LoadedSettledSingleFault : public SingleFault {
  private:
    BusyCores load_;
};

TEST_P(LoadedSettledSingleFault, CostsOnlyItsOwnLine) { run_fault(true, kSettleMs); }

INSTANTIATE_TEST_SUITE_P(PromptTextAtTheEndOfAWrite, LoadedSettledSingleFault,
                         ::testing::Combine(::testing::Values(kTelnet, kTelnetWithoutEcho, kSerial, kSerialWithoutEcho),
                                            ::testing::ValuesIn(kPromptTextAtTheEndOfAWrite)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

// ---- Late lines long past the window ---------------------------------------

struct LongLate {
    const char* name;
    BoardKind kind;
    int delayMs;
};
void PrintTo(const LongLate& l, std::ostream* out) { *out << l.name; }

class LongLateLine : public ::testing::TestWithParam<LongLate> {};

// Every line typed while the board is busy is kept by its terminal and
// answered in turn once the late one is: none of those answers may become
// another line's.
TEST_P(LongLateLine, NeverBecomesAnotherLinesAnswer) {
    const LongLate& c = GetParam();
    TerminalLink link(c.kind.wire, c.kind.echo);
    ASSERT_EQ(link.open(), MPDLL_OK);
    link.board().script_next("flash get XCAP", answer_then_prompt(c.delayMs, "XCAP=v_XCAP\n"));
    const double limit = call_limit(c.kind.wire, false);
    const Stopwatch sinceFault;
    expect_own_or_failed(flash_get(link.dev(), "XCAP", sinceFault), "v_XCAP", limit);
    expect_next_answer_own(link, sinceFault, c.delayMs / 1000.0 + 0.3, c.kind.echo ? 0 : 1, limit,
                           c.delayMs / 5000 + 4);
}

INSTANTIATE_TEST_SUITE_P(Boards, LongLateLine,
                         ::testing::Values(LongLate{"telnet_33s", kTelnet, 33000},
                                           LongLate{"serial_16s", kSerial, 16000},
                                           LongLate{"telnet_without_echo_16s", kTelnetWithoutEcho, 16000}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- A first command sent with a CR of its own --------------------------------

class FirstCommand : public ::testing::TestWithParam<BoardKind> {};

// firstCommand reaches the board followed by two CRs: the shell answers the
// empty second line with one more prompt. The lines after the open must
// still get their own answers.
TEST_P(FirstCommand, WithItsOwnCrLeavesTheNextAnswersTheirOwn) {
    const BoardKind& kind = GetParam();
    TerminalLink link(kind.wire, kind.echo);
    std::strncpy(link.dev()->firstCommand, "echo ready\r", sizeof link.dev()->firstCommand - 1);
    ASSERT_EQ(link.open(), MPDLL_OK);
    const double limit = call_limit(kind.wire, false);
    const Stopwatch sinceOpen;
    for (const char* name : {"XCAP", "THER", "SSID"}) {
        const Outcome o = flash_get(link.dev(), name, sinceOpen);
        EXPECT_EQ(o.status, MPDLL_OK) << o;
        expect_own_or_failed(o, own_value(name), limit);
    }
}

INSTANTIATE_TEST_SUITE_P(Boards, FirstCommand, ::testing::Values(kTelnet, kTelnetWithoutEcho),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Small response buffers --------------------------------------------------

std::string send_command(DevContext* dev, const std::string& line, int size, std::int32_t& status, double& seconds,
                         std::int32_t wait = MPDLL_WAIT_NONE) {
    std::vector<char> response(static_cast<std::size_t>(size) + 16, '\x7f');
    const Stopwatch clock;
    status = SendCommand(dev, line.c_str(), response.data(), size, 0, wait);
    seconds = clock.seconds();
    EXPECT_EQ(response[static_cast<std::size_t>(size)], '\x7f') << "written past responseSize " << size;
    return std::string(response.data(), strnlen(response.data(), static_cast<std::size_t>(size)));
}

class SmallBuffer : public ::testing::TestWithParam<BoardKind> {};

TEST_P(SmallBuffer, GetsTheHeadOfItsOwnAnswer) {
    const BoardKind& kind = GetParam();
    TerminalLink link(kind.wire, kind.echo);
    ASSERT_EQ(link.open(), MPDLL_OK);
    // The answer starts after the echo of the line's characters: with its line end.
    const std::string lead = kind.echo ? "\r\n" : "";
    const std::string whole = lead + "hello world\r\n";
    for (const int size : {8, 12, 20}) {
        std::int32_t status = 0;
        double seconds = 0;
        const std::string got = send_command(link.dev(), "echo hello world", size, status, seconds);
        EXPECT_EQ(status, MPDLL_OK) << "responseSize " << size;
        EXPECT_EQ(got, whole.substr(0, static_cast<std::size_t>(size) - 1)) << "responseSize " << size;
        EXPECT_LT(seconds, 2.0) << "responseSize " << size;
    }

    // After a late line: the head of this line's answer, never the late one.
    link.board().script_next("echo late answer", answer_then_prompt(6300, "late answer\n"));
    const double limit = call_limit(kind.wire, false);
    std::int32_t status = 0;
    double seconds = 0;
    const std::string late = send_command(link.dev(), "echo late answer", 20, status, seconds);
    EXPECT_LT(seconds, limit);
    if (status == MPDLL_OK) {
        EXPECT_EQ(late, (lead + "late answer\r\n").substr(0, late.size())) << "late line";
    }
    for (int attempt = 0; attempt < (kind.echo ? 1 : 2); ++attempt) {
        const std::string got = send_command(link.dev(), "echo hello world", 20, status, seconds);
        EXPECT_LT(seconds, limit);
        if (status != MPDLL_OK) continue;
        // After a late answer the text starts after its prompt: the echo's
        // line end may be cut with the echo or stay (both are this line's).
        const std::string own = got.rfind("\r\n", 0) == 0 ? whole : whole.substr(lead.size());
        EXPECT_EQ(got, own.substr(0, got.size())) << "another line's answer (attempt " << attempt << ")";
        if (got == own) return;
    }
    ADD_FAILURE() << "the line after the late one never got its own whole answer";
}

INSTANTIATE_TEST_SUITE_P(Boards, SmallBuffer,
                         ::testing::Values(kTelnet, kTelnetWithoutEcho, kSerial, kSerialWithoutEcho),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- An unanswered line, then a listing holding the prompt's text ------------

class ListingAfterUnansweredLine : public ::testing::TestWithParam<BoardKind> {};

TEST_P(ListingAfterUnansweredLine, IsReturnedWhole) {
    const BoardKind& kind = GetParam();
    TerminalLink link(kind.wire, kind.echo);
    ASSERT_EQ(link.open(), MPDLL_OK);
    const double limit = call_limit(kind.wire, false);
    link.board().script_next("flash get XCAP", {});
    const Stopwatch sinceFault;
    expect_own_or_failed(flash_get(link.dev(), "XCAP", sinceFault), "v_XCAP", limit);

    const std::string listing = std::string(kind.echo ? "\r\n" : "") + "notes# todo\r\nb.txt\r\n";
    for (int attempt = 0; attempt < (kind.echo ? 1 : 2); ++attempt) {
        link.board().script_next("ls", answer_then_prompt(200, "notes# todo\nb.txt\n"));
        std::int32_t status = 0;
        double seconds = 0;
        const std::string got = send_command(link.dev(), "ls", 16384, status, seconds);
        EXPECT_LT(seconds, limit);
        if (status != MPDLL_OK || got.empty()) continue;
        EXPECT_EQ(got, listing) << "attempt " << attempt << ", " << seconds << " s";
        return;
    }
    ADD_FAILURE() << "the listing never came";
}

INSTANTIATE_TEST_SUITE_P(Boards, ListingAfterUnansweredLine,
                         ::testing::Values(kTelnet, kTelnetWithoutEcho, kSerial, kSerialWithoutEcho),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- CloseDev with flags that close nothing --------------------------------

class CloseNothing : public ::testing::TestWithParam<BoardKind> {};

TEST_P(CloseNothing, KeepsWhatTheRecordKnows) {
    const BoardKind& kind = GetParam();
    TerminalLink link(kind.wire, kind.echo);
    ASSERT_EQ(link.open(), MPDLL_OK);
    const double limit = call_limit(kind.wire, false);
    // Answered after the window: the answer lands in the next line's window.
    link.board().script_next("flash get XCAP", answer_then_prompt(6500, "XCAP=v_XCAP\n"));
    const Stopwatch sinceFault;
    expect_own_or_failed(flash_get(link.dev(), "XCAP", sinceFault), "v_XCAP", limit);

    const std::uint32_t flags = link.dev()->openFlags;
    const std::int32_t mode = link.dev()->mode;
    const std::uint32_t otherMode = kind.wire == Wire::telnet ? MPDLL_MODE_SERIAL : MPDLL_MODE_TELNET;
    EXPECT_EQ(CloseDev(link.dev(), 0), MPDLL_OK);
    EXPECT_EQ(CloseDev(link.dev(), otherMode | MPDLL_MODE_UDP), MPDLL_OK);
    EXPECT_EQ(link.dev()->openFlags, flags);
    EXPECT_EQ(link.dev()->mode, mode);
    expect_next_answer_own(link, sinceFault, 6.8, kind.echo ? 0 : 1, limit);
}

INSTANTIATE_TEST_SUITE_P(Boards, CloseNothing,
                         ::testing::Values(kTelnet, kTelnetWithoutEcho, kSerial, kSerialWithoutEcho),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The quiet wait on a board that answers late -----------------------------

struct QuietCase {
    const char* name;
    BoardKind kind;
    bool debtFirst;  // a line answered after its window comes before
};
void PrintTo(const QuietCase& q, std::ostream* out) { *out << q.name; }

class QuietWait : public ::testing::TestWithParam<QuietCase> {};

TEST_P(QuietWait, ItsLateAnswerNeverBecomesALaterLines) {
    const QuietCase& c = GetParam();
    TerminalLink link(c.kind.wire, c.kind.echo);
    ASSERT_EQ(link.open(), MPDLL_OK);
    const double limit = call_limit(c.kind.wire, false);
    const Stopwatch sinceFault;
    double freeAt = 1.5;
    if (c.debtFirst) {
        link.board().script_next("flash get XCAP", answer_then_prompt(6300, "XCAP=v_XCAP\n"));
        expect_own_or_failed(flash_get(link.dev(), "XCAP", sinceFault), "v_XCAP", limit);
        freeAt = 8.0;
    }
    // The shell answers a second after the line: after the first burst.
    link.board().script_next("echo quiet", answer_then_prompt(1000, "quiet\n"));
    std::int32_t status = 0;
    double seconds = 0;
    const std::string got = send_command(link.dev(), "echo quiet", 256, status, seconds, MPDLL_WAIT_QUIET);
    EXPECT_LT(seconds, limit);
    if (status == MPDLL_OK) {
        const std::string own = std::string(got.rfind("\r\n", 0) == 0 ? "\r\n" : "") + "quiet\r\n";
        EXPECT_EQ(got, own.substr(0, got.size())) << "the quiet wait took another line's text";
    }
    expect_next_answer_own(link, sinceFault, freeAt, c.kind.echo ? 0 : 1, limit);
}

INSTANTIATE_TEST_SUITE_P(Boards, QuietWait,
                         ::testing::Values(QuietCase{"telnet", kTelnet, false}, QuietCase{"serial", kSerial, false},
                                           QuietCase{"telnet_after_a_late_line", kTelnet, true},
                                           QuietCase{"serial_after_a_late_line", kSerial, true},
                                           QuietCase{"telnet_without_echo_after_a_late_line", kTelnetWithoutEcho,
                                                     true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- A hundred records at once ------------------------------------------------

// Each record has one line answered after its window; each record's next
// line must still get its own answer, however many others are in debt.
TEST(HundredRecords, EachWithAnUnansweredLineKeepsItsOwnAnswers) {
    constexpr int kRecords = 100;
    std::vector<std::unique_ptr<TerminalLink>> links;
    for (int i = 0; i < kRecords; ++i) {
        links.push_back(std::make_unique<TerminalLink>(i % 2 == 0 ? Wire::telnet : Wire::serial, true));
        ASSERT_TRUE(links.back()->board().ready()) << "record " << i;
    }
    std::vector<Outcome> first(kRecords), second(kRecords), third(kRecords);
    std::vector<std::int32_t> opened(kRecords, -1);
    std::vector<std::thread> threads;
    const Stopwatch sinceFault;
    for (int i = 0; i < kRecords; ++i) {
        threads.emplace_back([&, i] {
            TerminalLink& link = *links[static_cast<std::size_t>(i)];
            opened[static_cast<std::size_t>(i)] = link.open();
            if (opened[static_cast<std::size_t>(i)] != MPDLL_OK) return;
            const std::string late = "L" + std::to_string(i);
            link.board().script_next("flash get " + late, answer_then_prompt(6500, late + "=v_" + late + "\n"));
            first[static_cast<std::size_t>(i)] = flash_get(link.dev(), late, sinceFault);
            second[static_cast<std::size_t>(i)] = flash_get(link.dev(), "N" + std::to_string(i), sinceFault);
            third[static_cast<std::size_t>(i)] = flash_get(link.dev(), "M" + std::to_string(i), sinceFault);
        });
    }
    for (std::thread& t : threads) t.join();
    for (int i = 0; i < kRecords; ++i) {
        const auto at = static_cast<std::size_t>(i);
        ASSERT_EQ(opened[at], MPDLL_OK) << "record " << i;
        const double limit = call_limit(links[at]->wire(), true);
        std::string read;
        for (const std::string& line : links[at]->board().lines_read()) read += "[" + line + "] ";
        SCOPED_TRACE("record " + std::to_string(i) + ", the board read " + read);
        expect_own_or_failed(first[at], "v_L" + std::to_string(i), limit);
        // The second line's echo comes before the late answer: its own.
        EXPECT_EQ(second[at].status, MPDLL_OK) << "record " << i << ": " << second[at];
        expect_own_or_failed(second[at], "v_N" + std::to_string(i), limit);
        EXPECT_EQ(third[at].status, MPDLL_OK) << "record " << i << ": " << third[at];
        expect_own_or_failed(third[at], "v_M" + std::to_string(i), limit);
    }
}

// ---- Telnet commands in mid-session ---------------------------------------------

struct MidSession {
    const char* name;
    // The shell's answer to "echo mid", with the front's own bytes put in.
    std::function<ShellScript(mpdll::test::TelnetFront&)> script;
    std::string expected;
    std::string replyExpected;  // an option reply the library must send
};
void PrintTo(const MidSession& m, std::ostream* out) { *out << m.name; }

// Puts bytes on the wire once the terminal's output before them has gone out.
std::function<void()> on_wire(mpdll::test::TelnetFront& front, std::string bytes) {
    return [&front, bytes] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        front.send_raw(bytes);
    };
}

const std::string kDoTerminalType("\xff\xfd\x18", 3);
const std::string kWontTerminalType("\xff\xfc\x18", 3);
const std::string kNop("\xff\xf1", 2);

const MidSession kMidSession[] = {
    {"option_request_in_an_answer",
     [](mpdll::test::TelnetFront& f) {
         return ShellScript{ShellStep{200, "mi", false, on_wire(f, kDoTerminalType)}, ShellStep{50, "d\n"},
                            ShellStep{0, "# "}};
     },
     "\r\nmid\r\n", kWontTerminalType},
    {"option_request_split_across_segments",
     [](mpdll::test::TelnetFront& f) {
         return ShellScript{ShellStep{200, "mi", false, on_wire(f, "\xff")},
                            ShellStep{50, "", false, on_wire(f, "\xfd\x18")}, ShellStep{50, "d\n"}, ShellStep{0, "# "}};
     },
     "\r\nmid\r\n", kWontTerminalType},
    {"escaped_ff_in_an_answer",
     [](mpdll::test::TelnetFront&) {
         return answer_then_prompt(200,
                                   "m\xff"
                                   "d\n");
     },
     "\r\nm\xff"
     "d\r\n",
     ""},
    {"nop_inside_the_prompt",
     [](mpdll::test::TelnetFront& f) {
         return ShellScript{ShellStep{200, "mid\n#", false, on_wire(f, kNop)}, ShellStep{50, " "}};
     },
     "\r\nmid\r\n", ""},
    {"subnegotiation_in_an_answer",
     [](mpdll::test::TelnetFront& f) {
         return ShellScript{ShellStep{200, "mi", false, on_wire(f, std::string("\xff\xfa\x18\x01\xff\xf0", 6))},
                            ShellStep{50, "d\n"}, ShellStep{0, "# "}};
     },
     "\r\nmid\r\n", ""},
};

class TelnetMidSession : public ::testing::TestWithParam<MidSession> {};

TEST_P(TelnetMidSession, IsDecodedAndAnswered) {
    const MidSession& c = GetParam();
    TerminalLink link(Wire::telnet, true);
    ASSERT_EQ(link.open(), MPDLL_OK);
    link.board().script_next("echo mid", c.script(*link.telnet()));
    std::int32_t status = 0;
    double seconds = 0;
    const std::string got = send_command(link.dev(), "echo mid", 256, status, seconds);
    EXPECT_EQ(status, MPDLL_OK);
    EXPECT_EQ(got, c.expected);
    EXPECT_LT(seconds, 2.0) << "the prompt was not recognised";
    if (!c.replyExpected.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_NE(link.telnet()->options_heard().find(c.replyExpected), std::string::npos)
            << "the option request in mid-session was not answered";
    }
    const std::string next = send_command(link.dev(), "echo next", 256, status, seconds);
    EXPECT_EQ(status, MPDLL_OK);
    EXPECT_EQ(next, "\r\nnext\r\n");
    EXPECT_LT(seconds, 2.0);
}

INSTANTIATE_TEST_SUITE_P(Sequences, TelnetMidSession, ::testing::ValuesIn(kMidSession),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TelnetMidSession, AnFfByteInALineGoesOutDoubledAndComesBackOnce) {
    TerminalLink link(Wire::telnet, true);
    ASSERT_EQ(link.open(), MPDLL_OK);
    std::int32_t status = 0;
    double seconds = 0;
    const std::string got = send_command(link.dev(),
                                         "echo \xff"
                                         "ab",
                                         256, status, seconds);
    EXPECT_EQ(status, MPDLL_OK);
    EXPECT_EQ(got,
              "\r\n\xff"
              "ab\r\n");
    EXPECT_LT(seconds, 2.0);
    const std::vector<std::string> lines = link.board().lines_read();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(),
              "echo \xff"
              "ab")
        << "the shell got the line with its 0xFF changed";
}

}  // namespace
