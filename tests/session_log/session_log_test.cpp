// The log handler and the open failure kept per record: events of boards on
// several threads never mix, the password never shows, a handler may be set
// while calls run, and a failed open says where and why.
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "support/board_under_test.h"

namespace {

using mpdll::test::BoardSetup;
using mpdll::test::BoardUnderTest;
using mpdll::test::Transport;

struct Seen {
    std::thread::id thread;
    int32_t kind;
    int32_t status;
    std::string bytes;
};

// Every event, per record, with the thread that delivered it.
struct EventLog {
    std::mutex lock;
    std::map<const DevContext*, std::vector<Seen>> events;
    std::atomic<int> count{0};

    static void MPDLL_CALL handler(void* context, const DevContext* dev, int32_t kind, int32_t status,
                                   const char* bytes, int32_t length, uint32_t) {
        auto* log = static_cast<EventLog*>(context);
        std::lock_guard guard(log->lock);
        log->events[dev].push_back({std::this_thread::get_id(), kind, status, std::string(bytes, length)});
        ++log->count;
    }
    std::string all_bytes(const DevContext* dev, int32_t kind) {
        std::lock_guard guard(lock);
        std::string out;
        for (const Seen& seen : events[dev])
            if (seen.kind == kind) out += seen.bytes;
        return out;
    }
};

class SessionLog : public ::testing::Test {
  protected:
    void TearDown() override { MpdllSetLogHandler(nullptr, nullptr); }
    EventLog log;
};

TEST_F(SessionLog, EventsOfFourBoardsOnFourThreadsNeverMix) {
    const Transport transports[] = {Transport::telnet, Transport::telnet, Transport::serial, Transport::udp};
    std::vector<std::unique_ptr<BoardUnderTest>> boards;
    std::vector<std::unique_ptr<DevContext>> records;
    for (const Transport transport : transports) {
        boards.push_back(std::make_unique<BoardUnderTest>(transport));
        records.push_back(boards.back()->record());
    }
    MpdllSetLogHandler(&EventLog::handler, &log);
    std::vector<std::thread::id> threadOf(4);
    std::vector<std::thread> threads;
    for (int index = 0; index < 4; ++index) {
        threads.emplace_back([&, index] {
            threadOf[index] = std::this_thread::get_id();
            DevContext* dev = records[index].get();
            ASSERT_EQ(OpenDev(dev), MPDLL_OK);
            char answer[512];
            for (int round = 0; round < 20; ++round) {
                const std::string line = "echo board" + std::to_string(index) + "-" + std::to_string(round);
                SendCommand(dev, line.c_str(), answer, sizeof answer, 0, 0);
            }
            CloseDev(dev, boards[index]->close_mask());
        });
    }
    for (std::thread& thread : threads) thread.join();

    for (int index = 0; index < 4; ++index) {
        const DevContext* dev = records[index].get();
        const std::string own = "board" + std::to_string(index) + "-";
        const std::string sent = log.all_bytes(dev, MPDLL_EVENT_SENT);
        const std::string received = log.all_bytes(dev, MPDLL_EVENT_RECEIVED);
        EXPECT_NE(sent.find(own + "19"), std::string::npos) << index;
        // The UDP endpoint answers every line with a reply of its own.
        if (transports[index] != Transport::udp) {
            EXPECT_NE(received.find(own + "19"), std::string::npos) << index;
        }
        EXPECT_FALSE(received.empty()) << index;
        for (int other = 0; other < 4; ++other) {
            if (other == index) continue;
            const std::string theirs = "board" + std::to_string(other) + "-";
            EXPECT_EQ(sent.find(theirs), std::string::npos) << index << " sent " << other << "'s bytes";
            EXPECT_EQ(received.find(theirs), std::string::npos) << index << " heard " << other << "'s bytes";
        }
        std::lock_guard guard(log.lock);
        int sends = 0;
        for (const Seen& seen : log.events[dev]) {
            EXPECT_EQ(seen.thread, threadOf[index]);
            if (seen.kind == MPDLL_EVENT_CALL_END && seen.bytes == "SendCommand") ++sends;
        }
        EXPECT_EQ(sends, 20) << index;
        EXPECT_EQ(log.events[dev].back().bytes, "CloseDev");
    }
}

TEST_F(SessionLog, ThePasswordIsInNoEventWhetherTheLoginSucceedsOrNot) {
    for (const std::string& password : {std::string("Pw-7f3k"), std::string("Wrong-9q2")}) {
        mpdll::test::BoardSetup setup;
        setup.record.password = password;
        mpboard::Options options = mpdll::test::quick_board();
        options.password = "Pw-7f3k";
        BoardUnderTest board(Transport::telnet, options, setup);
        auto dev = board.record();
        MpdllSetLogHandler(&EventLog::handler, &log);
        const int32_t status = OpenDev(dev.get());
        EXPECT_EQ(status, password == "Pw-7f3k" ? MPDLL_OK : MPDLL_E_OPEN);
        CloseDev(dev.get(), board.close_mask());
        MpdllSetLogHandler(nullptr, nullptr);
        std::lock_guard guard(log.lock);
        ASSERT_FALSE(log.events[dev.get()].empty());
        for (const Seen& seen : log.events[dev.get()]) EXPECT_EQ(seen.bytes.find(password), std::string::npos);
        log.events.clear();
    }
}

TEST_F(SessionLog, AHandlerSetWhileCallsRunSeesWholeCallsAndStopsWhenUnset) {
    BoardUnderTest board(Transport::telnet);
    auto dev = board.record();
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    std::atomic<bool> stop{false};
    std::thread caller([&] {
        char answer[256];
        while (!stop) SendCommand(dev.get(), "echo running", answer, sizeof answer, 0, 0);
    });
    for (int flip = 0; flip < 40; ++flip) {
        MpdllSetLogHandler(flip % 2 ? nullptr : &EventLog::handler, &log);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    MpdllSetLogHandler(nullptr, nullptr);
    const int afterUnset = log.count;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(log.count, afterUnset);
    stop = true;
    caller.join();
    CloseDev(dev.get(), board.close_mask());
    EXPECT_GT(afterUnset, 0);
    // Only calls that began with the handler set are told: each SENT of a
    // line comes before its call's end, and every event names the record.
    std::lock_guard guard(log.lock);
    EXPECT_EQ(log.events.size(), 1u);
}

// Each step of an open is told once, the first one as the open begins.
TEST_F(SessionLog, EachOpenStepIsToldOnce) {
    struct Case {
        Transport transport;
        const char* firstStep;
    };
    for (const Case c : {Case{Transport::telnet, "connect"}, Case{Transport::serial, "serial port"},
                         Case{Transport::udp, "udp"}}) {
        BoardUnderTest board(c.transport, mpdll::test::quick_board());
        auto dev = board.record();
        {
            std::lock_guard guard(log.lock);
            log.events.clear();  // a record may take the place of the one before
        }
        MpdllSetLogHandler(&EventLog::handler, &log);
        ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK) << c.firstStep;
        MpdllSetLogHandler(nullptr, nullptr);
        std::vector<std::string> steps;
        {
            std::lock_guard guard(log.lock);
            for (const Seen& seen : log.events[dev.get()])
                if (seen.kind == MPDLL_EVENT_OPEN_STEP) steps.push_back(seen.bytes);
        }
        ASSERT_FALSE(steps.empty()) << c.firstStep;
        EXPECT_EQ(steps.front(), c.firstStep);
        for (std::size_t i = 1; i < steps.size(); ++i)
            EXPECT_NE(steps[i], steps[i - 1]) << c.firstStep << ": step " << steps[i] << " told twice";
        CloseDev(dev.get(), board.close_mask());
    }
}

TEST(OpenFailure, EachRecordKeepsWhereAndWhyItsOpenFailed) {
    struct Case {
        const char* name;
        bool refused;
        const char* step;
        const char* reason;
    };
    for (const Case c : {Case{"wrong password", false, "password", "the login was refused"},
                         Case{"no board", true, "connect", "the board did not take the connection"}}) {
        BoardSetup setup;
        setup.record.password = "wrong";
        BoardUnderTest board(Transport::telnet, mpdll::test::quick_board(), setup);
        auto dev = board.record();
        if (c.refused) std::strcpy(dev->ipText, "127.0.0.1:1");
        ASSERT_EQ(OpenDev(dev.get()), MPDLL_E_OPEN) << c.name;
        char step[32], reason[256], heard[256];
        ASSERT_EQ(MpdllOpenFailure(dev.get(), step, sizeof step, reason, sizeof reason, heard, sizeof heard), 1);
        EXPECT_STREQ(step, c.step) << c.name;
        EXPECT_NE(std::string(reason).find(c.reason), std::string::npos) << c.name << ": " << reason;
        EXPECT_EQ(std::string(heard).find("wrong"), std::string::npos);
        CloseDev(dev.get(), board.close_mask());
        EXPECT_EQ(MpdllOpenFailure(dev.get(), step, sizeof step, reason, sizeof reason, heard, sizeof heard), 0);
        EXPECT_STREQ(step, "");
    }
    EXPECT_EQ(MpdllOpenFailure(nullptr, nullptr, 0, nullptr, 0, nullptr, 0), MPDLL_E_ARGUMENT);
    EXPECT_STREQ(MpdllLibraryVersion(), "1.0.0");
}

TEST(Recording, MpdllRecordWritesOneRecordingPerOpenedRecordOnlyWhileSet) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("mpdll-rec-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    BoardUnderTest board(Transport::telnet);
    auto dev = board.record();
    char answer[256];
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);  // not set: nothing written
    CloseDev(dev.get(), board.close_mask());
    ::setenv("MPDLL_RECORD", folder.c_str(), 1);
    dev->mode = MPDLL_MODE_TELNET;
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    ::unsetenv("MPDLL_RECORD");
    ASSERT_EQ(SendCommand(dev.get(), "echo \xff\xfe caf\xc3\xa9", answer, sizeof answer, 0, 0), MPDLL_OK);
    CloseDev(dev.get(), board.close_mask());
    std::vector<std::filesystem::path> files(std::filesystem::directory_iterator(folder), {});
    ASSERT_EQ(files.size(), 1u);
    std::ifstream in(files[0]);
    std::string header, line, all;
    std::getline(in, header);
    EXPECT_EQ(header.rfind("{\"version\": 2,", 0), 0u);
    while (std::getline(in, line)) all += line + "\n";
    // A byte outside UTF-8 as U+F700 + byte (0xFF doubled by telnet), valid UTF-8 as its character.
    EXPECT_NE(all.find("\"i\", \"echo \\uf7ff\\uf7ff\\uf7fe caf\\u00e9\\u000d\"]"), std::string::npos) << all;
    EXPECT_NE(all.find("\"m\", \"end SendCommand 0\""), std::string::npos);
    EXPECT_NE(all.find("\"m\", \"end CloseDev 0\""), std::string::npos);
    std::filesystem::remove_all(folder);
}

}  // namespace
