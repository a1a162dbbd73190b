// The modem page call across a real pseudo-terminal, in real time, with the paging
// central running as a process of its own: the port slots open the line, the
// transports make the call, and the central's transcript says what arrived.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/clock.h"
#include "engine/modem_page_call.h"
#include "engine/transports.h"
#include "modem/port_slots.h"
#include "settings/memory_settings.h"
#include "tests/sim/pty_central.h"
#include "tests/sim/real_time_pump.h"
#include "tests/sim/sim_process.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace corvane::test {
namespace {

// Replies a real central gives within a second, so that a whole call takes seconds.
const std::string kQuickCentral =
    "dial-reply-ms 300\n"
    "reply-delay-ms 50\n"
    "go-ahead-delay-ms 100\n"
    "password SECRET\n";

class PtyCallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.Write(key::PagePortBaud, "2400");
        settings.Write(key::NumericPostDelay, "1500");
    }

    bool StartCentral(const std::string& script)
    {
        if (!central.Start(dir.path(), kQuickCentral + script)) return false;
        settings.Write(key::PagePort, central.Line());
        return true;
    }

    PagerRecord& Pager(const std::string& name, const std::string& id, const std::string& type = "1")
    {
        PagerRecord& p = pagers.emplace_back();
        p.UserName = name;
        p.PagerID = id;
        p.PagerType = type;
        p.PhoneNumber = type == "0" ? "555-0000" : "555-1212";
        p.SystemPassword = "SECRET";
        p.WaitForConnection = "10";
        p.DelayTime = "0";
        p.PinDelayTime = "0";
        return p;
    }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeMainView view;
    CSystemClock clock;
    sim::CRealTimePump pump;
    CPortSlots slots {settings, boxes, pump, clock};
    CTransports transports {{settings, slots, &view, pump, clock, boxes}};
    std::deque<PagerRecord> pagers;
    sim::CSimProcess central;
};

TEST_F(PtyCallTest, TwoPagersInOneTapCall)
{
    ASSERT_TRUE(StartCentral(""));
    ASSERT_TRUE(slots.OpenPagePort(true, "<default>")) << boxes.Texts();
    PagerRecord& ann = Pager("Ann", "1001");
    PagerRecord& bob = Pager("Bob", "1002");
    auto call = transports.NewModemCall(ann);
    ASSERT_NE(call, nullptr);
    call->AddPage(true, ann, "Call the office", "Call the office");
    call->AddPage(true, bob, "Meeting moved to 3", "Meeting moved to 3");

    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
    EXPECT_EQ(ann.DeliveryStatus, 0);
    EXPECT_EQ(bob.DeliveryStatus, 0);
    slots.ClosePagePort();
    central.Stop();

    EXPECT_EQ(central.Records("PAGE"),
              (std::vector<std::string> {"1001\tCall the office", "1002\tMeeting moved to 3"}));
    EXPECT_EQ(central.Records("COMMAND"), (std::vector<std::string> {"ATM1Q0X4E0V1S7=255", "ATDT5551212", "ATH"}));
    EXPECT_EQ(central.Records("LOGON"), (std::vector<std::string> {"PG1SECRET"}));
    EXPECT_EQ(central.Records("HANGUP").size(), 1u);
    EXPECT_TRUE(central.Records("ERROR").empty()) << central.Transcript();
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PtyCallTest, NumericPage)
{
    ASSERT_TRUE(StartCentral("numeric\n"));
    ASSERT_TRUE(slots.OpenPagePort(true, "<default>")) << boxes.Texts();
    PagerRecord& carl = Pager("Carl", "77", "0");
    auto call = transports.NewModemCall(carl);
    ASSERT_NE(call, nullptr);

    EXPECT_EQ(call->SendNumericPage(carl, "555-1234"), kCallOk);
    slots.ClosePagePort();
    central.Stop();

    EXPECT_EQ(central.Records("NUMERIC"), (std::vector<std::string> {"T5550000775551234"}));
    EXPECT_EQ(central.Records("COMMAND"),
              (std::vector<std::string> {"ATM1Q0X4E0V1S7=255", "ATDT5550000775551234", "ATH"}));
    EXPECT_TRUE(central.Records("ERROR").empty()) << central.Transcript();
}

TEST_F(PtyCallTest, CentralThatDisappearsMidCallEndsTheCall)
{
    ASSERT_TRUE(StartCentral("disappear-after-block 2\n"));
    ASSERT_TRUE(slots.OpenPagePort(true, "<default>")) << boxes.Texts();
    PagerRecord& ann = Pager("Ann", "1");
    PagerRecord& bob = Pager("Bob", "2");
    PagerRecord& cid = Pager("Cid", "3");
    auto call = transports.NewModemCall(ann);
    call->AddPage(true, ann, "one", "");
    call->AddPage(true, bob, "two", "");
    call->AddPage(true, cid, "three", "");

    const std::uint64_t start = sim::NowMs();
    EXPECT_EQ(call->SendAlphaPages(), kCallWriteError);
    const std::uint64_t took = sim::NowMs() - start;
    EXPECT_TRUE(central.WaitForExit(2000));
    EXPECT_EQ(ann.DeliveryStatus, 0);
    EXPECT_EQ(bob.DeliveryStatus, kCallWriteError);
    EXPECT_EQ(cid.DeliveryStatus, kCallWriteError);
    // The call itself takes about 6 s up to the second block; nothing waits out a
    // 30-second reply time for a line that is gone.
    EXPECT_LT(took, 12000u);
    slots.ClosePagePort();
    EXPECT_EQ(slots.PagePort(), nullptr);
    EXPECT_EQ(central.Records("PAGE"), (std::vector<std::string> {"1\tone"}));
}

TEST_F(PtyCallTest, CentralOnASocatPair)
{
    if (::access("/usr/bin/socat", X_OK) != 0) GTEST_SKIP() << "socat is not installed";
    const std::string ours = dir.File("ttyA");
    const std::string theirs = dir.File("ttyB");
    std::vector<std::string> args = {"socat", "pty,raw,echo=0,link=" + ours, "pty,raw,echo=0,link=" + theirs};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t socat = -1;
    ASSERT_EQ(posix_spawn(&socat, "/usr/bin/socat", nullptr, nullptr, argv.data(), environ), 0);
    for (int i = 0; i < 500 && (::access(ours.c_str(), F_OK) != 0 || ::access(theirs.c_str(), F_OK) != 0); ++i)
        ::usleep(10000);

    ASSERT_TRUE(central.StartOnDevice(dir.path(), kQuickCentral, theirs));
    settings.Write(key::PagePort, ours);
    ASSERT_TRUE(slots.OpenPagePort(true, "<default>")) << boxes.Texts();
    PagerRecord& ann = Pager("Ann", "1001");
    auto call = transports.NewModemCall(ann);
    call->AddPage(true, ann, "via socat", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
    slots.ClosePagePort();
    central.Stop();
    ::kill(socat, SIGTERM);
    ::waitpid(socat, nullptr, 0);
    EXPECT_EQ(central.Records("PAGE"), (std::vector<std::string> {"1001\tvia socat"}));
}

}  // namespace
}  // namespace corvane::test
