// Named objects shared by two records of one process: the first record's
// close must leave the name in place for the second, so another process that
// opens the name still meets the same object; the last close removes it.
#include <fcntl.h>
#include <semaphore.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace mpdll::test {
namespace {

struct NamedKind {
    const char* name;
    MpHandle (*create)(const char* name);
};
void PrintTo(const NamedKind& c, std::ostream* os) { *os << c.name; }

MpHandle create_mutex(const char* name) { return platform::create_named_mutex(name); }
MpHandle create_manual_event(const char* name) { return platform::create_named_event(name, true); }
MpHandle create_auto_event(const char* name) { return platform::create_named_event(name, false); }

class NamedObjects : public ::testing::TestWithParam<NamedKind> {};

TEST_P(NamedObjects, TheNameStaysUntilTheLastHolderCloses) {
    // A name of this process's own: parallel test programs never share it.
    const std::string name = std::string("mpdll_hostile_") + GetParam().name + "_" + std::to_string(::getpid());
    const std::string path = "/" + name;
    MpHandle first = GetParam().create(name.c_str());
    MpHandle second = GetParam().create(name.c_str());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    platform::close_named(first);
    sem_t* seen = ::sem_open(path.c_str(), 0);
    ASSERT_NE(seen, SEM_FAILED) << "the first close removed the name the second record still holds";
    EXPECT_EQ(seen, static_cast<sem_t*>(second)) << "the name leads to another object";
    ::sem_close(seen);

    platform::close_named(second);
    errno = 0;
    EXPECT_EQ(::sem_open(path.c_str(), 0), SEM_FAILED) << "the last close left the name behind";
    EXPECT_EQ(errno, ENOENT);
    ::sem_unlink(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Kinds, NamedObjects,
                         ::testing::Values(NamedKind{"Mutex", create_mutex},
                                           NamedKind{"ManualEvent", create_manual_event},
                                           NamedKind{"AutoEvent", create_auto_event}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mpdll::test
