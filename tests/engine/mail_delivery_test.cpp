// The pages of an inbox scan delivered: sorted and batched per paging service, through
// each transport, numbered, cut to the filter's page limit, and every page in one log.

#include <gmock/gmock.h>

#include "engine/mail_page_delivery.h"
#include "tests/engine/send_run_fixture.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;

class MailDeliveryTest : public SendRunTest {
protected:
    PagerRecord& Mailed(const std::string& name, const std::string& phone, const std::string& type = "1")
    {
        PagerRecord& p = AddPager(name, phone, type);
        p.SystemPassword = "PW";
        p.AutoPageFlags = kAutoMail;
        return p;
    }
    MailPage& Page(const PagerRecord& pager, const std::string& text, int limit = 1, std::uint32_t uid = 1)
    {
        set.Add(pager, {"Ops", text, limit, uid, false});
        for (MailPagerPages& entry : set.pagers)
            if (entry.pager.Code == pager.Code) return entry.pages.back();
        throw std::logic_error("no entry");
    }
    void Deliver()
    {
        SendRunContext context = Context();
        DeliverMailPages(context, set);
    }
    std::vector<bool> Failed() const
    {
        std::vector<bool> failed;
        for (const MailPagerPages& pager : set.pagers)
            for (const MailPage& page : pager.pages) failed.push_back(page.failed);
        return failed;
    }
    std::vector<std::string> Phones() const
    {
        std::vector<std::string> phones;
        for (const CallRecord& call : transports.calls) phones.push_back(call.phone);
        return phones;
    }

    MailPageSet set;
};

TEST_F(MailDeliveryTest, PagersOfOneServiceShareACallAfterSortingAndEveryPageIsLogged)
{
    PagerRecord& a = Mailed("Ann", "555-2");
    PagerRecord& b = Mailed("Bob", "555-1");
    PagerRecord& c = Mailed("Cid", "555-2");
    PagerRecord& n = Mailed("Num", "555-3", "0");
    PagerRecord& d = Mailed("Dee", "555-2");
    Page(a, "Mail Sub: one");
    Page(b, "Mail Sub: two");
    Page(c, "Mail Sub: three");
    Page(n, "911");
    Page(d, "Mail Sub: four");
    Page(a, "Mail Sub: five");
    Deliver();

    EXPECT_THAT(Phones(), ElementsAre("555-1", "555-2", "555-3"));
    EXPECT_THAT(Messages(transports.calls[1]),
                ElementsAre("Mail Sub: one", "Mail Sub: five", "Mail Sub: three", "Mail Sub: four"));
    EXPECT_EQ(transports.calls[1].alphaSends, 1);
    EXPECT_THAT(transports.calls[2].numeric, ElementsAre(std::pair<std::string, std::string>(n.PagerID, "911")));
    EXPECT_EQ(PageLog(), kAt + "Bob: Mail Sub: two\n" + kAt + "Ann: Mail Sub: one\n" + kAt + "Ann: Mail Sub: five\n" +
                             kAt + "Cid: Mail Sub: three\n" + kAt + "Dee: Mail Sub: four\n" + kAt + "Num: 911\n");
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_THAT(view.statusField, ElementsAre("EMail from Ops to pager Bob", "EMail from Ops to pager Ann",
                                              "EMail from Ops to pager Ann", "EMail from Ops to pager Cid",
                                              "EMail from Ops to pager Dee", "EMail from Ops to pager Num", "Idle"));
    EXPECT_THAT(ports.events, ElementsAre("open page 300 quiet", "close page"));
    EXPECT_THAT(view.pageInProgress, ElementsAre(true, false));
    EXPECT_FALSE(queue.pageInProgress);

    // "LogMail" off: nothing in the page log.
    set = {};
    settings.Write(key::LogMail, "0");
    Page(b, "quiet");
    Deliver();
    EXPECT_EQ(PageLog().find("quiet"), std::string::npos);
}

TEST_F(MailDeliveryTest, AnAlphanumericBatchGoesBeforeANumericPagerOfTheSameNumber)
{
    PagerRecord& a = Mailed("Ann", "555-1");
    PagerRecord& b = Mailed("Bob", "555-1");
    PagerRecord& n = Mailed("Num", "555-1", "0");
    Page(a, "one");
    Page(b, "two");
    Page(n, "911");
    Deliver();
    ASSERT_EQ(transports.calls.size(), 2u);
    EXPECT_THAT(Messages(transports.calls[0]), ElementsAre("one", "two"));
    EXPECT_EQ(transports.calls[0].alphaSends, 1);
    EXPECT_EQ(transports.calls[1].numeric.size(), 1u);
}

TEST_F(MailDeliveryTest, TheFiltersPageLimitCutsTheText)
{
    PagerRecord& a = Mailed("Ann", "555-1");
    a.MaximumPageLength = 80;
    MailPage& page = Page(a, std::string(300, 'x'), 2);
    Deliver();
    EXPECT_EQ(page.text, std::string(160, 'x'));
    int counted = 0;
    for (const AddedPage& added : transports.calls[0].pages) counted += added.counted;
    EXPECT_LE(transports.calls[0].pages.size(), 2u);
    EXPECT_EQ(counted, 1);
    EXPECT_EQ(PageLog(), kAt + "Ann: " + std::string(160, 'x') + "\n");
}

TEST_F(MailDeliveryTest, FailedPagesGoToTheErrorLogAndAreMarked)
{
    PagerRecord& a = Mailed("Ann", "555-1");
    PagerRecord& b = Mailed("Bob", "555-2");
    Page(a, "one");
    Page(a, "two");
    Page(b, "three");
    transports.sendScripts.push_back(Answer(kCallNoAnswer));
    // A call that failed after its first block was taken: the first page went out.
    transports.sendScripts.push_back(Answer(kCallNotAcknowledged, {0, kCallNotAcknowledged}));
    Page(b, "four");
    Deliver();
    EXPECT_THAT(Failed(), ElementsAre(true, true, false, true));
    EXPECT_EQ(ErrorLog(), kAt + "Error 5 To Ann: one\n" + kAt + "Error 5 To Ann: two\n" + kAt + "Error 9 To Bob: four\n");
    EXPECT_EQ(PageLog(), kAt + "Bob: three\n");
}

TEST_F(MailDeliveryTest, PageNumbersGoOutOnTheModemLineAndTheCounterIsStored)
{
    PagerRecord& a = Mailed("Ann", "555-1");
    a.SendPageCounter = 1;
    a.PageCounter = 999;
    PagerRecord& n = Mailed("Num", "555-2", "0");
    n.SendPageCounter = 1;
    n.PageCounter = 41;
    n.Separator = "#";
    Page(a, "one");
    Page(a, "two");
    Page(n, "911");
    Deliver();
    EXPECT_THAT(Messages(transports.calls[0]), ElementsAre("0- one", "1- two"));
    EXPECT_EQ(transports.calls[1].numeric[0].second, "42#911");
    EXPECT_EQ(pagers.FindByName("Ann")->PageCounter, 1);
    EXPECT_EQ(pagers.FindByName("Num")->PageCounter, 42);
    CPagerList stored;
    stored.LoadLocal(files);
    EXPECT_EQ(stored.FindByName("Ann")->PageCounter, 1);
    EXPECT_EQ(PageLog(), kAt + "Ann: 0- one\n" + kAt + "Ann: 1- two\n" + kAt + "Num: 42#911\n");
}

TEST_F(MailDeliveryTest, GatewaysTakeEachPageAndSayWhenTheyDoNot)
{
    settings.Write(key::PagePort, "MD");
    PagerRecord& a = Mailed("Ann", "555-1");
    a.SendPageCounter = 1;  // the gateway numbers pages itself
    PagerRecord& n = Mailed("Num", "555-2", "0");
    PagerRecord& t = Mailed("Tcp", "tcp:127.0.0.1:9");  // a terminal of its own on the network
    Page(a, "one");
    Page(n, "911");
    Page(t, "direct");
    transports.gatewayResult = false;
    Deliver();
    ASSERT_EQ(transports.gateway.size(), 2u);
    EXPECT_EQ(transports.gateway[0].text, "one");
    EXPECT_FALSE(transports.gateway[0].showErrors);
    EXPECT_THAT(Phones(), ElementsAre("tcp:127.0.0.1:9"));
    EXPECT_THAT(Failed(), ElementsAre(true, true, false));
    EXPECT_EQ(ErrorLog(), kAt + "Error 111 To Ann: one\n" + kAt + "Error 111 To Num: 911\n");
}

TEST_F(MailDeliveryTest, SnppServersTakeAlphanumericAndNumericPages)
{
    PagerRecord& a = Mailed("Ann", "SNPP:127.0.0.1:444");
    PagerRecord& n = Mailed("Num", "SNPP:127.0.0.1:445", "0");
    Page(a, "one");
    Page(n, "911");
    transports.sendScripts.push_back(Answer(0, {kSnppPageRejected}));
    Deliver();
    ASSERT_EQ(transports.calls.size(), 2u);
    EXPECT_TRUE(transports.calls[0].snpp && transports.calls[1].snpp);
    EXPECT_EQ(transports.calls[1].numeric[0].second, "911");
    EXPECT_TRUE(ports.bauds.empty());  // no modem
    EXPECT_EQ(ErrorLog(), kAt + "Error 106 To Ann: one\n");
    EXPECT_EQ(PageLog(), kAt + "Num: 911\n");
}

TEST_F(MailDeliveryTest, ACancelEndsTheRunAndEveryPageNotSentIsMarkedForTheNextScan)
{
    settings.Write(key::MonitorPort, "/dev/ttyS0");  // the page port too
    ports.monitorOpen = true;
    ports.openResult = false;
    PagerRecord& n = Mailed("Num", "555-1", "0");
    PagerRecord& a = Mailed("Ann", "555-2");
    Page(n, "1");
    Page(n, "2");
    Page(a, "three");
    transports.numericScript = [](const PagerRecord&, const std::string&) { return kCallCancelled; };
    Deliver();
    EXPECT_EQ(transports.calls.size(), 1u);
    EXPECT_THAT(Failed(), ElementsAre(true, true, true));
    EXPECT_EQ(ErrorLog(), kAt + "Error 2 To Num: 1\n" + kAt + "Error 2 To Num: 2\n" + kAt + "Error 2 To Ann: three\n");
    // The line goes back to the monitor modem at once when the page port does not open.
    EXPECT_THAT(ports.events,
                ElementsAre("close monitor", "open page 300 quiet", "open monitor", "close page", "open monitor"));
}

}  // namespace
}  // namespace corvane::test
