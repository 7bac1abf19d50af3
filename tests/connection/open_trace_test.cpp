// Why an open failed, in the library's debug text: on POSIX it goes to
// standard error while MPDLL_TRACE is set, with the step, what was heard
// last (escaped, the password masked) and the time spent.
#include <stdlib.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "connection/open_trace.h"
#include "mpdll/mpdll.h"
#include "support/loopback_peer.h"

namespace connection_test {
namespace {

class TraceOn : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("MPDLL_TRACE", "1", 1); }
    void TearDown() override { ::unsetenv("MPDLL_TRACE"); }
};

TEST_F(TraceOn, SaysTheStepWhatWasHeardAndTheTime) {
    mpdll::OpenTrace trace("hunter2");
    trace.step("password");
    const char heard[] = "login: admin\r\nhunter2\x01\"\\\xff";
    trace.heard(std::string(heard, sizeof heard - 1));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(trace.fail("the login was refused"), MPDLL_E_OPEN);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("mpdll: open failed at password after ", 0), 0u) << said;
    EXPECT_NE(said.find(" ms: the login was refused; last heard \"login: admin\\r\\n*******\\x01\\\"\\\\\\xff\"\n"),
              std::string::npos)
        << said;
}

TEST_F(TraceOn, KeepsOnlyTheNewestBytesHeard) {
    mpdll::OpenTrace trace("");
    trace.heard(std::string(200, 'a'));
    trace.heard("tail");
    ::testing::internal::CaptureStderr();
    trace.fail("why");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("\"" + std::string(92, 'a') + "tail\""), std::string::npos) << said;
}

TEST(TraceOff, SaysNothingWithoutMpdllTrace) {
    ::unsetenv("MPDLL_TRACE");
    mpdll::OpenTrace trace("");
    ::testing::internal::CaptureStderr();
    trace.fail("why");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(TraceOn, AFailedTelnetOpenSaysWhy) {
    ScriptedPeer peer([](PeerLink& link) {
        link.write("board login: ");
        link.read_until("\r");
        link.write("admin\r\nPassword: ");
        link.read_until("\r");
        link.write("\r\nLogin incorrect\r\nboard login: ");
        link.sees_close(3000);
    });
    DevContext dev;
    std::memset(&dev, 0, sizeof dev);
    dev.mode = MPDLL_MODE_TELNET;
    std::memcpy(dev.ipText, peer.address().data(), peer.address().size());
    std::memcpy(dev.prompt, "# ", 2);
    std::memcpy(dev.userName, "admin", 5);
    std::memcpy(dev.password, "s3cret", 6);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(OpenDev(&dev), MPDLL_E_OPEN);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("open failed at password after "), std::string::npos) << said;
    EXPECT_NE(said.find("the login was refused; last heard \"board login: admin\\r\\nPassword: \\r\\nLogin "
                        "incorrect\\r\\nboard login: \""),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("s3cret"), std::string::npos);
}

}  // namespace
}  // namespace connection_test
