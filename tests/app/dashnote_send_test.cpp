// The Dashnote commands through the run state: DASHNOTE.DAT read at start, each message
// to its own pagers that still exist or to the selected rows, and the user told when
// nothing could go.

#include <gtest/gtest.h>

#include "app/core/dashnote_send.h"
#include "app/core/run_state.h"
#include "settings/memory_settings.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/support/fake_frame.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

class DashnoteSendTest : public ::testing::Test {
protected:
    DashnoteSendTest()
    {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        CPagerList pagers;
        for (auto [name, type] : {std::pair{"Ann", "1"}, {"Bob", "0"}, {"Cy", "2"}}) {
            PagerRecord& p = *pagers.NewPager();  // codes 1, 2, 3
            p.UserName = name;
            p.PagerType = type;
        }
        pagers.Save(DataFiles{dir.path(), settings, boxes});
        CDashnoteList dashnotes;
        *dashnotes.NewEntry() = {0, "Outage", "Servers down", "911", {2, 9, 1, 2, 3}};
        *dashnotes.NewEntry() = {0, "Selected", "To the selection", "100", {}};
        *dashnotes.NewEntry() = {0, "Gone", "Nobody left", "0", {9, 70000}};
        for (int i = 0; i < 3; ++i) dashnotes.messages()[i].CommandId = kFirstDashnoteId + i;
        dashnotes.Save(dir.File("DASHNOTE.DAT"));
        state.Create(false, 5, "");
    }

    std::vector<std::string> Queued()
    {
        std::vector<std::string> queued;
        for (const PageRequest& r : state.Queue().requests)
            queued.push_back(r.name + ":" + r.message + ":" + std::to_string(r.origin));
        return queued;
    }

    static FormView Rows(std::vector<FormRow> rows) { return FormView{std::move(rows), false, {}}; }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeFrame frame;
    CFakeClock clock;
    CFakePump pump{clock};
    CFakePorts ports;
    CScriptedTransports transports;
    CNoHooks hooks;
    CRunState state{RunStateDeps{settings, boxes, frame, pump, clock, ports, transports, hooks, "Corvane", dir.path()}};
};

TEST_F(DashnoteSendTest, ItsOwnPagersThatStillExistGetTheTextOfTheirTypeOnce)
{
    ASSERT_EQ(state.Dashnotes().messages().size(), 3u);
    state.SendDashnote(61207, Rows({{false, 3, "Cy", true}}));  // the selection does not count
    EXPECT_EQ(Queued(), (std::vector<std::string>{"Bob:911:1", "Ann:Servers down:1", "Cy:Servers down:1"}));
    EXPECT_EQ(state.Queue().sendRequest, kSendInteractive);
    EXPECT_EQ(frame.queueCounts.back(), 3);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DashnoteSendTest, WithoutPagersOfItsOwnItGoesToTheSelectedPagerRows)
{
    FormView view = Rows({{true, 0, "Desk", true}, {false, 1, "Ann", true}, {false, 2, "Bob", false},
                          {false, 5, "Removed meanwhile", true}, {false, 3, "Cy", true}});
    state.SendDashnote(61208, view);
    EXPECT_EQ(Queued(), (std::vector<std::string>{"Ann:To the selection:1", "Cy:To the selection:1"}));
    EXPECT_EQ(state.Queue().sendRequest, kSendInteractive);
}

TEST_F(DashnoteSendTest, NothingToSendToIsToldAndStartsNoRun)
{
    state.Queue().QueueRequest(kOriginCommand, "Ann", {}, {}, "waiting for a send");
    state.SendDashnote(61209, Rows({{false, 1, "Ann", true}}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kDashnoteNoPagersLeftText);
    EXPECT_EQ(boxes.shown[0].caption, "Dashnote");
    // Only group rows selected: groups are not taken.
    state.SendDashnote(61208, Rows({{true, 0, "Desk", true}}));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, kDashnoteNoSelectionText);
    EXPECT_EQ(state.Queue().requests.size(), 1u);
    EXPECT_EQ(state.Queue().sendRequest, kSendNone);
    // An identifier no message has does nothing.
    state.SendDashnote(61226, Rows({}));
    EXPECT_EQ(boxes.shown.size(), 2u);
}

}  // namespace
}  // namespace corvane::test
