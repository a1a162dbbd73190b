#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/engine/send_run_fixture.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;

TEST_F(SendRunTest, AGroupIsBatchedIntoCallsByThePagesPerCallLimit)
{
    for (const char* name : {"A", "B", "C"}) {
        PagerRecord& p = AddPager(name);
        p.Groups = {"Ops"};
        p.PagesPerCall = 5;
        p.MaximumPageLength = 20;
    }
    Queue("Ops", std::string(30, 'x'));  // two pages each
    Run();

    ASSERT_EQ(transports.calls.size(), 2u);
    ASSERT_EQ(transports.calls[0].pages.size(), 4u);
    EXPECT_EQ(transports.calls[0].pages[0].copy.UserName, "A");
    EXPECT_EQ(transports.calls[0].pages[2].copy.UserName, "B");
    ASSERT_EQ(transports.calls[1].pages.size(), 2u);
    EXPECT_EQ(transports.calls[1].pages[0].copy.UserName, "C");
    EXPECT_EQ(transports.calls[0].alphaSends, 1);
    EXPECT_EQ(transports.calls[1].alphaSends, 1);
    // One line per pager: only the last piece of each is logged.
    EXPECT_EQ(PageLog(), "03/07/01 09:05AM A: " + std::string(30, 'x') + "\n" +
                             "03/07/01 09:05AM B: " + std::string(30, 'x') + "\n" +
                             "03/07/01 09:05AM C: " + std::string(30, 'x') + "\n");
}

TEST_F(SendRunTest, OnlyPagersOfOneNumberBaudAndOriginShareACall)
{
    AddPager("A").BaudRate = "300";
    AddPager("B").BaudRate = "1200";  // same number, other speed
    AddPager("C").BaudRate = "1200";
    AddPager("D").BaudRate = "1200";
    Queue("A", "hi");
    Queue("B", "hi");
    Queue("C", "hi");
    Queue("D", "hi", kOriginCommand);  // other origin
    Run();
    ASSERT_EQ(transports.calls.size(), 3u);
    EXPECT_EQ(transports.calls[0].pages.size(), 1u);
    EXPECT_EQ(transports.calls[1].pages.size(), 2u);
    EXPECT_EQ(transports.calls[2].pages.size(), 1u);
    EXPECT_THAT(ports.bauds, ElementsAre("300", "1200", "1200", "1200"));
}

TEST_F(SendRunTest, AnAlphanumericPagerIsNotBatchedWithANumericOne)
{
    AddPager("Text", "SNPP:host", "1");
    AddPager("Digits", "SNPP:host", "0");
    Queue("Text", "hello");
    Queue("Digits", "12");
    Run();
    ASSERT_EQ(transports.calls.size(), 2u);
    EXPECT_EQ(transports.calls[0].alphaSends, 1);
    ASSERT_EQ(transports.calls[1].numeric.size(), 1u);
    EXPECT_EQ(PageLog(), "03/07/01 09:05AM Text: hello\n03/07/01 09:05AM Digits: 12\n");
}

TEST_F(SendRunTest, EveryNumericPagerOfABatchIsDialledAndLogged)
{
    AddPager("N1", "5550000", "0");
    AddPager("N2", "5550000", "0");
    transports.numericScript = [](const PagerRecord& entry, const std::string&) {
        return entry.UserName == "N1" ? kCallBusy : kCallOk;
    };
    Queue("N1", "1");
    Queue("N2", "2");
    Run();
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_EQ(transports.calls[0].numeric.size(), 2u);
    EXPECT_EQ(ErrorLog(), "03/07/01 09:05AM Error 4 To N1: 1\n");
    EXPECT_EQ(PageLog(), "03/07/01 09:05AM N2: 2\n");
}

TEST_F(SendRunTest, LongMessagesAreCutAtTheLastSpaceOrAfterLengthMinusThree)
{
    PagerRecord& p = AddPager("Sales");
    p.MaximumPageLength = 20;
    std::string plain = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwx";  // 50, no space
    Queue("Sales", plain);
    std::string spaced = plain;
    spaced[9] = ' ';  // a space at position 10
    Queue("Sales", spaced);
    Run();
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_THAT(Messages(transports.calls[0]),
                ElementsAre("ABCDEFGHIJKLMNOPQ...", "RSTUVWXYZabcdefgh...", "ijklmnopqrstuvwx", "ABCDEFGHI ...",
                            "KLMNOPQRSTUVWXYZa...", "bcdefghijklmnopqr...", "stuvwx"));
    // Only the last piece of each text is counted and it logs the whole text.
    EXPECT_FALSE(transports.calls[0].pages[0].counted);
    EXPECT_TRUE(transports.calls[0].pages[2].counted);
    EXPECT_EQ(transports.calls[0].pages[2].logText, plain);
}

TEST_F(SendRunTest, TheTimeSuffixLeavesRoomOnTheLastPage)
{
    settings.Write(key::ContentTime, "1");
    PagerRecord& p = AddPager("Sales");
    p.MaximumPageLength = 20;
    Queue("Sales", "12345678901234567");  // 17: needs a cut, 17 + 6 > 20
    Queue("Sales", "abc");
    Run();
    EXPECT_THAT(Messages(transports.calls[0]),
                ElementsAre("12345678901234567...", " 09:05", "abc 09:05"));
    settings.Write(key::ContentTimeFormat, "1");
    settings.Write(key::ContentDate, "1");
    settings.Write(key::ContentCase, "1");
    clock.Advance(13 * 3600 * 1000ULL);  // 22:05
    Queue("Sales", "late");
    Run();
    EXPECT_THAT(Messages(transports.calls[1]), ElementsAre("LATE 22:05 03/07/01"));
}

TEST_F(SendRunTest, ReverseOrderSendsTheLastPieceFirst)
{
    settings.Write(key::ContentReverse, "1");
    AddPager("Sales").MaximumPageLength = 10;
    Queue("Sales", "aaaaaaaaaaaaaaaa");  // 16
    Run();
    EXPECT_THAT(Messages(transports.calls[0]), ElementsAre("aaaaaaaaa", "aaaaaaa..."));
}

TEST_F(SendRunTest, APageLengthBelowFourStillEnds)
{
    AddPager("Tiny").MaximumPageLength = 2;
    Queue("Tiny", "abcde");
    Run();
    EXPECT_THAT(Messages(transports.calls[0]), ElementsAre("a...", "b...", "c...", "de"));
}

TEST_F(SendRunTest, AHugeMessageIsCappedAtTheCallCapacity)
{
    AddPager("Big").MaximumPageLength = 32767;
    Queue("Big", std::string(40000, 'm'));
    Run();
    ASSERT_EQ(transports.calls[0].pages.size(), 2u);
    EXPECT_EQ(transports.calls[0].pages[1].message.size(), 40000u - 32764u);
    EXPECT_EQ(transports.calls[0].pages[1].logText.size(), 32767u);
}

TEST_F(SendRunTest, ThePageCounterWrapsAfter999AndIsSavedWhenDelivered)
{
    PagerRecord& p = AddPager("Counted");
    p.SendPageCounter = 1;
    p.PageCounter = 999;
    PagerRecord& n = AddPager("Digits", "5550000", "0");
    n.SendPageCounter = 1;
    n.PageCounter = 41;
    n.Separator = "#";
    Queue("Counted", "hello");
    Queue("Digits", "77");
    Run();
    EXPECT_EQ(transports.calls[0].pages[0].message, "0- hello");
    EXPECT_EQ(transports.calls[1].numeric[0].second, "42#77");
    EXPECT_EQ(pagers.FindByName("Counted")->PageCounter, 0);
    EXPECT_EQ(pagers.FindByName("Digits")->PageCounter, 42);
    EXPECT_FALSE(dir.Read("PAGERS.DAT").empty());
}

TEST_F(SendRunTest, AFailedPageDoesNotAdvanceTheStoredCounter)
{
    PagerRecord& p = AddPager("Counted");
    p.SendPageCounter = 1;
    p.PageCounter = 5;
    transports.sendScripts.push_back(Answer(kCallBusy));
    Queue("Counted", "hello");
    Run();
    EXPECT_EQ(transports.calls[0].pages[0].message, "6- hello");
    EXPECT_EQ(pagers.FindByName("Counted")->PageCounter, 5);
    EXPECT_EQ(ErrorLog(), "03/07/01 09:05AM Error 4 To Counted: 6- hello\n");
}

TEST_F(SendRunTest, TheSignatureGoesOnManualPagesButNotOnResubmittedOnes)
{
    SetSignature("-- Ops desk");
    AddPager("A");
    AddPager("N", "5550000", "0");
    Queue("A", "first");
    Queue("A", "again", kOriginResubmitted);
    Queue("N", "123");
    Run();
    ASSERT_EQ(transports.calls.size(), 3u);  // other origins go in other calls
    EXPECT_THAT(Messages(transports.calls[0]), ElementsAre("first -- Ops desk"));
    EXPECT_THAT(Messages(transports.calls[1]), ElementsAre("again"));
    ASSERT_EQ(transports.calls[2].numeric.size(), 1u);
    EXPECT_EQ(transports.calls[2].numeric[0].second, "123");
}

TEST_F(SendRunTest, NamesAndGroupsExpandExactlyAndUnknownNamesAreDropped)
{
    PagerRecord& bob = AddPager("Bob");
    bob.Groups = {"Sales"};
    AddPager("Ann").Groups = {"sales", "Sales"};
    AddPager("Old").Groups = {""};  // older files carry empty group names
    queue.QueueRequest(kOriginCommand, "Sales", "5559999", "777", "meet");
    Queue("bob", "nobody");
    Queue("", "");
    Queue("Bob", "just bob");
    Run(kSendCommand);
    std::vector<std::string> names;
    for (const auto& call : transports.calls)
        for (const auto& page : call.pages) names.push_back(page.copy.UserName);
    EXPECT_THAT(names, ElementsAre("Bob", "Ann", "Bob"));
    EXPECT_EQ(transports.calls[0].phone, "5559999");
    EXPECT_EQ(transports.calls[0].pages[0].copy.PagerID, "777");
    EXPECT_EQ(transports.calls[0].pages[0].copy.AutoPageFlags, kOriginCommand);
}

TEST_F(SendRunTest, ConfirmationTextsFollowThePagePort)
{
    AddPager("A");
    Queue("A", "hi");
    Run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Your page(s) were delivered successfully.");
    EXPECT_EQ(boxes.shown[0].caption, "Corvane");

    settings.Write(key::PagePort, "SV");
    Queue("A", "hi");
    Run();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "Your page request(s) are being delivered to the paging server.");
    ASSERT_EQ(transports.gateway.size(), 1u);
    EXPECT_EQ(transports.gateway[0].text, "hi");

    settings.Write(key::ConfirmPages, "0");
    Queue("A", "hi");
    Run();
    EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST_F(SendRunTest, AQuietCommandRunShowsNothingButLogsTheFailure)
{
    AddPager("A");
    queue.showMessages = false;
    transports.sendScripts.push_back(Answer(kCallNoAnswer));
    Queue("A", "hi", kOriginCommand);
    Run(kSendCommand);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();
    EXPECT_TRUE(transports.calls[0].errorsShown.empty());
    EXPECT_EQ(ErrorLog(), "03/07/01 09:05AM Error 5 To A: hi\n");
    EXPECT_THAT(ports.events, ElementsAre("open page 300 quiet", "close page"));
}

TEST_F(SendRunTest, ScheduledRunsShowNoBoxes)
{
    AddPager("A");
    transports.sendScripts.push_back(Answer(kCallBusy));
    Queue("A", "hi");
    Queue("A", "ok");
    Run(kSendScheduled);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(transports.calls[0].errorsShown.empty());
}

TEST_F(SendRunTest, AFailedCallShowsItsErrorWithThePagerOnlyForOnePage)
{
    AddPager("A");
    AddPager("B");
    view.minimized = true;
    transports.sendScripts.push_back(Answer(kCallNoDialtone));
    Queue("A", "hi");
    Queue("B", "hi");
    Run();
    ASSERT_EQ(transports.calls[0].errorsShown.size(), 1u);
    EXPECT_EQ(transports.calls[0].errorsShown[0], nullptr);  // two counted pages
    EXPECT_FALSE(view.minimized);
    EXPECT_TRUE(boxes.shown.empty());  // a failed run is not confirmed

    transports.sendScripts.push_back(Answer(kCallNoDialtone));
    Queue("A", "hi");
    Run();
    ASSERT_EQ(transports.calls[1].errorsShown.size(), 1u);
    ASSERT_NE(transports.calls[1].errorsShown[0], nullptr);
    EXPECT_EQ(transports.calls[1].errorsShown[0]->UserName, "A");
}

TEST_F(SendRunTest, UnacknowledgedAndRejectedPagesAreLoggedByTheirOwnStatus)
{
    for (const char* name : {"A", "B", "C"}) AddPager(name);
    transports.sendScripts.push_back(Answer(kCallNotAcknowledged, {0, 3, 3}));
    for (const char* name : {"A", "B", "C"}) Queue(name, std::string("to ") + name);
    Run();
    EXPECT_EQ(PageLog(), "03/07/01 09:05AM A: to A\n");
    EXPECT_EQ(ErrorLog(), "03/07/01 09:05AM Error 9 To B: to B\n03/07/01 09:05AM Error 9 To C: to C\n");
}

TEST_F(SendRunTest, TheCancelCommandEndsTheRunWithoutLoggingItsPages)
{
    AddPager("A");
    AddPager("B", "5550000");
    transports.sendScripts.push_back([this](std::vector<AddedPage>& pages) {
        queue.stop = true;  // the Cancel command sets the stop flag and cancels the call
        for (auto& page : pages) page.entry->DeliveryStatus = kCallCancelled;
        return kCallCancelled;
    });
    Queue("A", "hi");
    Queue("B", "hi");
    Run();
    EXPECT_EQ(transports.calls.size(), 1u);
    EXPECT_EQ(PageLog(), "");
    EXPECT_EQ(ErrorLog(), "");
    ASSERT_EQ(transports.calls[0].errorsShown.size(), 1u);  // "The page has been canceled."
    EXPECT_EQ(view.statusField.back(), "Idle");
    EXPECT_FALSE(queue.pageInProgress);
}

TEST_F(SendRunTest, ExitDuringACallLogsItsPagesAndTheRestAsCancelled)
{
    AddPager("A");
    AddPager("B", "5550000");
    transports.sendScripts.push_back(Answer(kCallCancelled, {2}));
    Queue("A", "hi");
    Queue("B", "there");
    Run();
    EXPECT_EQ(transports.calls.size(), 1u);
    // B was never dialled: its request is recorded rather than dropped.
    EXPECT_EQ(ErrorLog(), "03/07/01 09:05AM Error 2 To A: hi\n03/07/01 09:05AM Error 2 To B: there\n");
}

TEST_F(SendRunTest, SnppPagesAreLoggedByTheirOwnResult)
{
    for (const char* name : {"A", "B", "C"}) AddPager(name, "SNPP:pager.example");
    // The client's result is the last page's: here 0, although B was refused.
    transports.sendScripts.push_back(Answer(0, {0, kSnppPageRejected, 0}));
    for (const char* name : {"A", "B", "C"}) Queue(name, "up");
    Run();
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_TRUE(transports.calls[0].snpp);
    EXPECT_EQ(PageLog(), "03/07/01 09:05AM A: up\n03/07/01 09:05AM C: up\n");
    EXPECT_EQ(ErrorLog(), "03/07/01 09:05AM Error 106 To B: up\n");
    EXPECT_TRUE(boxes.shown.empty());  // not confirmed as delivered
}

TEST_F(SendRunTest, AnSnppServerThatCannotBeReachedFailsEveryPage)
{
    AddPager("A", "SNPP:pager.example");
    AddPager("B", "SNPP:pager.example");
    transports.sendScripts.push_back(Answer(kSnppConnectRefused));
    Queue("A", "up");
    Queue("B", "up");
    Run();
    EXPECT_EQ(PageLog(), "");
    EXPECT_EQ(ErrorLog(), "03/07/01 09:05AM Error 103 To A: up\n03/07/01 09:05AM Error 103 To B: up\n");
}

TEST_F(SendRunTest, APagePortThatDoesNotOpenStillLetsSnppPagesGo)
{
    ports.openResult = false;
    AddPager("Net", "SNPP:pager.example");
    Queue("Net", "up");
    Run();
    EXPECT_EQ(PageLog(), "03/07/01 09:05AM Net: up\n");
    EXPECT_TRUE(boxes.shown.empty());  // the run counts as failed: no confirmation
}

TEST_F(SendRunTest, AGatewayThatRefusesIsAnError)
{
    settings.Write(key::PagePort, "SV");
    transports.gatewayResult = false;
    AddPager("A");
    Queue("A", "hi");
    Run();
    EXPECT_EQ(PageLog(), "");
    EXPECT_EQ(ErrorLog(), "03/07/01 09:05AM Error 111 To A: hi\n");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SendRunTest, TheMonitorPortIsLentToThePageRunAndGivenBack)
{
    settings.Write(key::MonitorPort, "/dev/ttyS0");
    ports.monitorOpen = true;
    AddPager("A");
    Queue("A", "hi");
    Run();
    EXPECT_THAT(ports.events, ElementsAre("close monitor", "open page 300 shown", "close page", "open monitor"));
}

TEST_F(SendRunTest, TheRunShowsItsProgressAndSwitchesTheCommands)
{
    settings.Write(key::AutoMinimize, "1");
    settings.Write(key::AutoExit, "1");
    AddPager("A");
    AddPager("B", "5550000");
    Queue("A", "hi");
    Queue("B", "hi");
    Run();
    EXPECT_THAT(view.statusField, ElementsAre("Paging 1 of 2: A", "Paging 2 of 2: B", "Idle"));
    EXPECT_THAT(view.pageInProgress, ElementsAre(true, false));
    EXPECT_THAT(view.queueCounts, ElementsAre(0));
    EXPECT_EQ(view.minimizeCalls, 1);
    EXPECT_EQ(view.exitPosts, 1);
    EXPECT_TRUE(queue.requests.empty());
    // Window events run for 4 s after each modem call.
    EXPECT_GE(pump.waits, 2 * 4000 / kPumpIntervalMs);
}

TEST_F(SendRunTest, RequestsQueuedDuringTheRunWaitAndSuppressTheConfirmation)
{
    AddPager("A");
    transports.sendScripts.push_back([this](std::vector<AddedPage>&) {
        Queue("A", "later");
        return 0;
    });
    Queue("A", "now");
    Run();
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0].message, "later");
}

}  // namespace
}  // namespace corvane::test
