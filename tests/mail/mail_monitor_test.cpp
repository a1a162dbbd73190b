// The e-mail monitor against an inbox of the test's own: what each scan reads, what it
// pages and when, and how it comes through failures of the server and of delivery.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "mail/mail_monitor.h"
#include "mail/mail_status.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;

class CFakeInbox final : public IMailInbox {
public:
    bool Installed() override { return installed; }
    int Logon() override
    {
        ++logons;
        loggedOn = logonResult == kMailOk;
        return logonResult;
    }
    bool LoggedOn() const override { return loggedOn; }
    void Logoff() override { loggedOn = false; }
    int ListUnread(InboxListing& listing) override
    {
        listing = {uidValidity, {}};
        for (const auto& [uid, message] : messages)
            if (!read.count(uid)) listing.unread.push_back(uid);
        return listResult;
    }
    int ReadHeaders(const std::vector<std::uint32_t>& uids, std::vector<MailHeader>& headers) override
    {
        headerReads.push_back(uids);
        for (std::uint32_t uid : uids)
            if (messages.count(uid)) headers.push_back(messages[uid]);
        return headerResult;
    }
    int Peek(std::uint32_t uid, MailMessage& message) override
    {
        peeks.push_back(uid);
        if (whilePeeking) whilePeeking();
        if (peekFailsAt == uid) return kMailFailure;
        if (!messages.count(uid)) return kMailNoMessages;
        message = messages[uid];
        return kMailOk;
    }
    int MarkRead(std::uint32_t uid) override
    {
        read.insert(uid);
        return kMailOk;
    }
    const std::string& LastError() const override { return lastError; }

    void Add(std::uint32_t uid, std::string from, std::string subject, std::string body, std::time_t received,
             std::string address = "")
    {
        MailMessage& m = messages[uid];
        m.uid = uid;
        m.sender = std::move(from);
        m.senderAddress = std::move(address);
        m.subject = std::move(subject);
        m.body = std::move(body);
        m.to = "Desk";
        m.received = received;
    }

    bool installed = true;
    bool loggedOn = false;
    int logonResult = kMailOk;
    int listResult = kMailOk;
    int headerResult = kMailOk;
    std::uint32_t peekFailsAt = 0;
    std::function<void()> whilePeeking;  // what the event pump runs while a body is read
    std::uint32_t uidValidity = 7;
    std::map<std::uint32_t, MailMessage> messages;
    std::set<std::uint32_t> read;
    int logons = 0;
    std::vector<std::vector<std::uint32_t>> headerReads;
    std::vector<std::uint32_t> peeks;
    std::string lastError = "connection refused";
};

// One delivered page as "pager|text|limit".
std::vector<std::string> Pages(const MailPageSet& set)
{
    std::vector<std::string> pages;
    for (const MailPagerPages& pager : set.pagers)
        for (const MailPage& page : pager.pages)
            pages.push_back(pager.pager.UserName + "|" + page.text + "|" + std::to_string(page.pageLimit));
    return pages;
}

class MailMonitorTest : public ::testing::Test {
protected:
    MailMonitorTest()
    {
        settings.Write(key::MailMonitor, "1");
        AddPager("Ann", "1", kAutoMail);
        AddPager("Num", "0", kAutoMail);
        AddPager("Off", "1", kAutoPim);
        CMailFilter& f = filters.NewFilter();
        f.fields[0] = kFieldSubject;
        f.comparisons[0] = kCompareContains;
        f.keywords[0] = "down";
        f.includeFrom = f.includeSubject = f.includeBody = 1;
        f.code = "911";
        f.maximumPages = 2;
    }

    void AddPager(const std::string& name, const std::string& type, std::uint16_t flags)
    {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = name;
        p.PagerType = type;
        p.AutoPageFlags = flags;
    }
    // Monitoring starts and its first scan (which only remembers) is made.
    void StartMonitoring()
    {
        ASSERT_TRUE(monitor.Apply(false));
        monitor.StartMonitoring();
        monitor.Tick(60);
    }
    // The next scan, a minute and a second later.
    void NextScan()
    {
        clock.Advance(61000);
        monitor.Tick(60);
    }
    std::vector<std::string> Delivered()
    {
        std::vector<std::string> all;
        for (const MailPageSet& set : deliveries)
            for (const std::string& page : Pages(set)) all.push_back(page);
        deliveries.clear();
        return all;
    }

    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeClock clock;
    CFakeInbox inbox;
    CMailFilterList filters;
    CPagerList pagers;
    std::vector<MailPageSet> deliveries;
    std::function<void(MailPageSet&)> onDeliver;  // the delivery's own doing, before it is recorded
    CMailMonitor monitor{{settings, boxes, clock, &inbox, filters, pagers, [this](MailPageSet& set) {
                              if (onDeliver) onDeliver(set);
                              deliveries.push_back(set);
                          }}};
    const std::time_t now = clock.Now();
};

TEST_F(MailMonitorTest, TheFirstScanRemembersAndANewMessageIsPagedOnceAtTheNextScan)
{
    inbox.Add(1, "Ops Desk", "web down", "there before", now - 60);
    StartMonitoring();
    EXPECT_TRUE(monitor.HasSeenList());
    EXPECT_TRUE(deliveries.empty());
    EXPECT_TRUE(inbox.headerReads.empty());  // remembering needs the UIDs alone
    EXPECT_TRUE(inbox.peeks.empty());

    inbox.Add(2, "Ops Desk", "db1 down", "Disk\r\n\tfull\r\n\r\nnow ", now);
    clock.Advance(60000);
    monitor.Tick(60);  // not more than a minute yet
    EXPECT_TRUE(inbox.headerReads.empty());
    clock.Advance(1000);
    monitor.Tick(60);
    EXPECT_THAT(Delivered(), ElementsAre("Ann|Mail From: Ops Desk Sub: db1 down Msg: Disk full now|2", "Num|911|1"));
    EXPECT_THAT(inbox.headerReads, ElementsAre(ElementsAre(2u)));
    EXPECT_THAT(inbox.peeks, ElementsAre(2u));  // the body, for the page

    NextScan();
    EXPECT_TRUE(Delivered().empty());
    EXPECT_EQ(inbox.headerReads.size(), 1u);
    EXPECT_TRUE(inbox.read.empty());  // "MAPIMarkRead" is not on
}

TEST_F(MailMonitorTest, AMessageNoFilterTakesIsReadOnceAndABodyOnlyWhenAFilterWantsIt)
{
    filters.Filters()[0].includeBody = 0;
    StartMonitoring();
    inbox.Add(3, "Lee", "lunch?", "a long body", now);
    inbox.Add(4, "Ops", "mail down", "another long body", now);
    NextScan();
    EXPECT_THAT(Delivered(), ElementsAre("Ann|Mail From: Ops Sub: mail down|2", "Num|911|1"));
    EXPECT_TRUE(inbox.peeks.empty());
    NextScan();
    EXPECT_THAT(inbox.headerReads, ElementsAre(ElementsAre(3u, 4u)));  // and never again

    // A filter that tests bodies needs every new body to match.
    filters.NewFilter().fields[0] = kFieldBody;
    filters.Filters()[1].comparisons[0] = kCompareContains;
    filters.Filters()[1].keywords[0] = "LONG";
    inbox.Add(5, "Lee", "tea?", "long story", now);
    NextScan();
    EXPECT_THAT(inbox.peeks, ElementsAre(5u));
    EXPECT_THAT(Delivered(), ElementsAre("Ann|Mail|1", "Num||1"));
}

TEST_F(MailMonitorTest, FiltersReplacedWhileABodyIsReadLeaveTheMatchOfTheMessageWhole)
{
    StartMonitoring();
    inbox.Add(6, "Ops", "disk down", "full", now);
    // The Mail Filters dialog saved meanwhile, and the program took the new list up.
    inbox.whilePeeking = [this] { filters.Filters()[0] = CMailFilter{}; };
    NextScan();
    EXPECT_THAT(Delivered(), ElementsAre("Ann|Mail From: Ops Sub: disk down Msg: full|2", "Num|911|1"));
}

TEST_F(MailMonitorTest, AFailedPageIsPagedAgainAtTheNextScanAndOnlyThatOne)
{
    StartMonitoring();
    inbox.Add(5, "A", "x down", "", now);
    inbox.Add(6, "B", "y down", "", now);
    onDeliver = [](MailPageSet& set) {
        for (MailPagerPages& pager : set.pagers)
            for (MailPage& page : pager.pages) page.failed = page.message == 6 && pager.pager.UserName == "Ann";
    };
    NextScan();
    EXPECT_EQ(Delivered().size(), 4u);
    onDeliver = nullptr;
    NextScan();
    // Paged again to the pager that does not have it, not to the one that does.
    EXPECT_THAT(Delivered(), ElementsAre("Ann|Mail From: B Sub: y down Msg: |2"));
    NextScan();
    EXPECT_TRUE(Delivered().empty());
}

TEST_F(MailMonitorTest, AScanCutOffCountsForNothingAndTheNextPagesEachMessageOnce)
{
    StartMonitoring();
    inbox.Add(7, "A", "x down", "", now);
    inbox.headerResult = kMailFailure;
    NextScan();
    inbox.headerResult = kMailOk;
    inbox.Add(8, "B", "y down", "", now);
    inbox.Add(9, "C", "z down", "", now);
    inbox.peekFailsAt = 9;  // the server goes away in the middle
    NextScan();
    EXPECT_TRUE(Delivered().empty());
    inbox.peekFailsAt = 0;
    inbox.listResult = kMailFailure;
    NextScan();
    inbox.listResult = kMailOk;
    NextScan();
    EXPECT_EQ(Delivered().size(), 6u);  // 7, 8 and 9 to both pagers
    NextScan();
    EXPECT_TRUE(Delivered().empty());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MailMonitorTest, GatewayRepliesAndOldMailNeverPage)
{
    settings.Write(key::MailAddress, "md@example.org");
    StartMonitoring();
    inbox.Add(10, "Corvane/md", "CVMD down report", "", now, "md@example.org");
    inbox.Add(11, "Corvane/md", "db down", "", now, "md@example.org");  // not a status reply
    inbox.Add(12, "Other", "CVMD down", "", now, "other@example.org");
    inbox.Add(13, "Old", "old down", "", now - kMailPageAgeSeconds);
    inbox.Add(14, "Late", "clock down", "", now + 3600);  // a server clock ahead counts as new
    inbox.Add(15, "Unknown", "date down", "", 0);      // no received time: new
    NextScan();
    std::vector<std::string> paged;
    for (const std::string& page : Delivered())
        if (page.rfind("Ann|", 0) == 0) paged.push_back(page.substr(0, page.find(" Sub:")));
    EXPECT_THAT(paged, ElementsAre("Ann|Mail From: Corvane/md", "Ann|Mail From: Other", "Ann|Mail From: Late",
                                   "Ann|Mail From: Unknown"));
}

TEST_F(MailMonitorTest, AServerThatCannotBeReachedKeepsTheSwitchTellsOnceAndIsTriedAtEachScan)
{
    inbox.logonResult = kMailFailure;
    inbox.Add(20, "A", "before down", "", now - 30);
    EXPECT_TRUE(monitor.Apply(false));
    EXPECT_EQ(settings.Get(key::MailMonitor), "1");
    EXPECT_EQ(boxes.Texts(), "Mail Error: Error attempting to open the mail session.  Please insure your mail "
                             "software is installed correctly.\n");
    monitor.StartMonitoring();
    monitor.Tick(60);
    EXPECT_FALSE(monitor.HasSeenList());
    inbox.Add(21, "B", "during down", "", now + 30);  // came after monitoring began
    NextScan();
    EXPECT_EQ(inbox.logons, 3);
    EXPECT_EQ(boxes.shown.size(), 1u);
    inbox.logonResult = kMailOk;
    NextScan();
    // The first scan that could be made pages what came since monitoring began.
    EXPECT_THAT(Delivered(), ElementsAre("Ann|Mail From: B Sub: during down Msg: |2", "Num|911|1"));
    // Down again later: told again, once.
    inbox.Logoff();
    inbox.logonResult = kMailLoginFailure;
    NextScan();
    NextScan();
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "The mail password or name is not valid.");
}

TEST_F(MailMonitorTest, MarkReadMarksWhatWasDealtWithAndLeavesAFailedPageUnread)
{
    settings.Write(key::MAPIMarkRead, "1");
    StartMonitoring();
    EXPECT_TRUE(inbox.read.empty());  // remembered, not read
    inbox.Add(30, "A", "paged down", "", now);
    inbox.Add(31, "B", "failed down", "", now);
    inbox.Add(32, "C", "no filter", "", now);
    inbox.Add(33, "D", "old down", "", now - kMailPageAgeSeconds - 1);
    onDeliver = [](MailPageSet& set) {
        for (MailPagerPages& pager : set.pagers)
            for (MailPage& page : pager.pages) page.failed = page.message == 31;
    };
    NextScan();
    EXPECT_THAT(inbox.read, ElementsAre(30u, 32u));
    onDeliver = nullptr;
    NextScan();
    EXPECT_THAT(inbox.read, ElementsAre(30u, 31u, 32u));
}

TEST_F(MailMonitorTest, ListsEmptiedWhileAScanDeliversStartAfreshAndAMailboxMadeAnewPagesOnlyWhatCame)
{
    StartMonitoring();
    inbox.Add(40, "A", "one down", "", now);
    onDeliver = [this](MailPageSet&) { monitor.EmptySeenLists(); };  // the user came back meanwhile
    NextScan();
    EXPECT_FALSE(monitor.HasSeenList());
    onDeliver = nullptr;
    Delivered();
    NextScan();  // remembers only
    EXPECT_TRUE(Delivered().empty());
    EXPECT_EQ(monitor.SeenList().entries.size(), 1u);

    // New UIDs: what came before the last listing is not new, what came after is.
    inbox.uidValidity = 8;
    inbox.Add(41, "B", "two down", "", now);
    inbox.Add(42, "C", "three down", "", now + 200);
    NextScan();
    std::vector<std::string> pages = Delivered();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], "Ann|Mail From: C Sub: three down Msg: |2");
}

TEST_F(MailMonitorTest, HugeAndBinaryHeadersAreCutToWhatThePagerCanTake)
{
    pagers.at(0).MaximumPageLength = 80;
    StartMonitoring();
    inbox.Add(50, std::string("Nul\0Bin\x01\xFF", 9), std::string(100000, 'S') + " down", std::string(65536, 'B'),
              now);
    NextScan();
    ASSERT_EQ(deliveries.size(), 1u);
    const MailPage& page = deliveries[0].pagers[0].pages[0];
    EXPECT_EQ(page.text, "Mail From: Nul Bin \xFF Sub: " + std::string(160 - 26, 'S'));
    EXPECT_EQ(page.sender, "Nul Bin \xFF");
}

}  // namespace
}  // namespace corvane::test
