// The send run lets the spool go of a request only once every page it produced is logged.

#include "engine/page_spool.h"
#include "tests/engine/send_run_fixture.h"

namespace corvane::test {
namespace {

class SendRunSpoolTest : public SendRunTest {
protected:
    SendRunSpoolTest()
    {
        spool.Open();
        queue.spool = &spool;
    }
    bool Kept(std::uint64_t id) const
    {
        for (const SpooledRequest& request : spool.Pending())
            if (request.id == id) return true;
        return false;
    }

    CPageSpool spool{dir.path() + "spool/", clock};
};

TEST_F(SendRunSpoolTest, ARequestLeavesTheSpoolWhenTheLastOfItsPagesIsLogged)
{
    AddPager("Ann", "5550001");
    AddPager("Bob", "5550002").Groups = {"Team"};
    AddPager("Cy", "5550003").Groups = {"Team"};
    Queue("Ann", "one");
    Queue("Team", "two");
    Queue("Nobody", "three");
    const std::uint64_t ann = 1, team = 2, nobody = 3;
    ASSERT_TRUE(Kept(ann) && Kept(team) && Kept(nobody));

    std::vector<std::string> seen;
    auto look = [&](const char* when) {
        return [&, when](std::vector<AddedPage>&) {
            seen.push_back(std::string(when) + (Kept(ann) ? " ann" : "") + (Kept(team) ? " team" : "") +
                           (Kept(nobody) ? " nobody" : ""));
            return 0;
        };
    };
    transports.sendScripts = {look("Ann's call:"), look("Bob's call:"), look("Cy's call:")};
    Run(kSendCommand);

    // The name that pages nobody is settled as the run takes it; the group waits for its
    // second pager's log line.
    EXPECT_EQ(seen, (std::vector<std::string>{"Ann's call: ann team", "Bob's call: team", "Cy's call: team"}));
    EXPECT_FALSE(Kept(team));
    EXPECT_TRUE(spool.Pending().empty());
    EXPECT_EQ(PageLog(), kAt + "Ann: one\n" + kAt + "Bob: two\n" + kAt + "Cy: two\n");
    EXPECT_EQ(ErrorLog(), kAt + "Error 112 To Nobody: three\n");
}

TEST_F(SendRunSpoolTest, PagesTheUsersCancelKeptBackAreTheUsersDecision)
{
    AddPager("Ann", "5550001");
    AddPager("Bob", "5550002");
    Queue("Ann", "one");
    Queue("Bob", "two");
    transports.sendScripts.push_back([&](std::vector<AddedPage>& pages) {
        EXPECT_TRUE(spool.Pending()[0].sending && spool.Pending()[1].sending);
        queue.stop = true;
        pages[0].entry->DeliveryStatus = kCallCancelled;
        return kCallCancelled;
    });
    Run();
    EXPECT_EQ(PageLog() + ErrorLog(), "");
    EXPECT_TRUE(spool.Pending().empty());
    EXPECT_EQ(dir.Read("spool/journal"), "");
}

}  // namespace
}  // namespace corvane::test
