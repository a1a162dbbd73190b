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
    const std::string text(30, 'x');  // two pages each
    Queue("Ops", text);
    Run();
    ASSERT_EQ(transports.calls.size(), 2u);
    ASSERT_EQ(transports.calls[0].pages.size(), 4u);
    EXPECT_EQ(transports.calls[0].pages[0].copy.UserName, "A");
    EXPECT_EQ(transports.calls[0].pages[2].copy.UserName, "B");
    ASSERT_EQ(transports.calls[1].pages.size(), 2u);
    EXPECT_EQ(transports.calls[1].pages[0].copy.UserName, "C");
    EXPECT_EQ(transports.calls[0].alphaSends + transports.calls[1].alphaSends, 2);
    // One line per pager: only the last piece of each is counted, and it logs the whole text.
    EXPECT_EQ(PageLog(), kAt + "A: " + text + "\n" + kAt + "B: " + text + "\n" + kAt + "C: " + text + "\n");
}

TEST_F(SendRunTest, OnlyPagersOfOneNumberBaudOriginAndTypeShareACall)
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
    EXPECT_EQ(transports.calls[1].pages.size(), 2u);
    EXPECT_THAT(ports.bauds, ElementsAre("300", "1200", "1200", "1200"));
}

TEST_F(SendRunTest, NumericPagersAreDialledOneByOneAndNotBatchedWithText)
{
    AddPager("Text", "5550000", "1");
    AddPager("N1", "5550000", "0");
    AddPager("N2", "5550000", "0");
    transports.numericScript = [](const PagerRecord& entry, const std::string&) {
        return entry.UserName == "N1" ? kCallBusy : kCallOk;
    };
    Queue("Text", "hello");
    Queue("N1", "1");
    Queue("N2", "2");
    Run();
    ASSERT_EQ(transports.calls.size(), 2u);
    EXPECT_EQ(transports.calls[0].alphaSends, 1);
    EXPECT_EQ(transports.calls[1].numeric.size(), 2u);
    EXPECT_EQ(PageLog(), kAt + "Text: hello\n" + kAt + "N2: 2\n");
    EXPECT_EQ(ErrorLog(), kAt + "Error 4 To N1: 1\n");
}

TEST_F(SendRunTest, LongMessagesAreCutAtTheLastSpaceOrAfterLengthMinusThree)
{
    AddPager("Sales").MaximumPageLength = 20;
    const std::string plain = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwx";  // 50, no space
    std::string spaced = plain;
    spaced[9] = ' ';  // a space at position 10
    Queue("Sales", plain);
    Queue("Sales", spaced);
    Run();
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_THAT(Messages(transports.calls[0]),
                ElementsAre("ABCDEFGHIJKLMNOPQ...", "RSTUVWXYZabcdefgh...", "ijklmnopqrstuvwx", "ABCDEFGHI ...",
                            "KLMNOPQRSTUVWXYZa...", "bcdefghijklmnopqr...", "stuvwx"));
    EXPECT_FALSE(transports.calls[0].pages[0].counted);
    EXPECT_TRUE(transports.calls[0].pages[2].counted);
    EXPECT_EQ(transports.calls[0].pages[2].logText, plain);
}

TEST_F(SendRunTest, ContentOptionsLeaveRoomOnTheLastPage)
{
    settings.Write(key::ContentTime, "1");
    AddPager("Sales").MaximumPageLength = 20;
    Queue("Sales", "12345678901234567");  // 17: needs a cut, 17 + 6 > 20
    Queue("Sales", "abc");
    Run();
    EXPECT_THAT(Messages(transports.calls[0]), ElementsAre("12345678901234567...", " 09:05", "abc 09:05"));

    settings.Write(key::ContentTimeFormat, "1");
    settings.Write(key::ContentDate, "1");
    settings.Write(key::ContentCase, "1");
    clock.Advance(13 * 3600 * 1000ULL);  // 22:05
    Queue("Sales", "late");
    Run();
    EXPECT_THAT(Messages(transports.calls[1]), ElementsAre("LATE 22:05 03/07/01"));

    settings.Write(key::ContentTime, "0");
    settings.Write(key::ContentDate, "0");
    settings.Write(key::ContentCase, "0");
    settings.Write(key::ContentReverse, "1");
    AddPager("Short").MaximumPageLength = 10;
    Queue("Short", "aaaaaaaaaaaaaaaa");  // 16: the last piece goes first
    Run();
    EXPECT_THAT(Messages(transports.calls[2]), ElementsAre("aaaaaaaaa", "aaaaaaa..."));
}

TEST_F(SendRunTest, APageLengthBelowFourAndAHugeMessageStillEnd)
{
    AddPager("Tiny").MaximumPageLength = 2;
    AddPager("Big", "5550000").MaximumPageLength = 32767;
    Queue("Tiny", "abcde");
    Queue("Big", std::string(40000, 'm'));
    Run();
    EXPECT_THAT(Messages(transports.calls[0]), ElementsAre("a...", "b...", "c...", "de"));
    // Capped at what one call can carry.
    ASSERT_EQ(transports.calls[1].pages.size(), 2u);
    EXPECT_EQ(transports.calls[1].pages[1].message.size(), 40000u - 32764u);
    EXPECT_EQ(transports.calls[1].pages[1].logText.size(), 32767u);
}

TEST_F(SendRunTest, ThePageCounterWrapsAfter999AndIsSavedOnlyWhenDelivered)
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

    transports.sendScripts.push_back(Answer(kCallBusy));
    Queue("Counted", "again");
    Run();
    EXPECT_EQ(transports.calls[2].pages[0].message, "1- again");
    EXPECT_EQ(pagers.FindByName("Counted")->PageCounter, 0);
    EXPECT_EQ(ErrorLog(), kAt + "Error 4 To Counted: 1- again\n");
}

TEST_F(SendRunTest, TheSignatureGoesOnManualTextPagesButNotOnResubmittedOnes)
{
    MessageTexts texts;
    texts.signature = "-- Ops desk";
    ASSERT_TRUE(SaveMessages(dir.File("MESSAGES.DAT"), texts));
    AddPager("A");
    AddPager("N", "5550000", "0");
    Queue("A", "first");
    Queue("A", "again", kOriginResubmitted);
    Queue("N", "123");
    Run();
    ASSERT_EQ(transports.calls.size(), 3u);  // other origins go in other calls
    EXPECT_THAT(Messages(transports.calls[0]), ElementsAre("first -- Ops desk"));
    EXPECT_THAT(Messages(transports.calls[1]), ElementsAre("again"));
    EXPECT_EQ(transports.calls[2].numeric.at(0).second, "123");
}

TEST_F(SendRunTest, NamesAndGroupsExpandExactlyAndUnknownNamesAreRecordedAsNotSent)
{
    AddPager("Bob").Groups = {"Sales"};
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
    // Nothing went out for them: no confirmation.
    EXPECT_EQ(ErrorLog(), kAt + "Error 112 To bob: nobody\n" + kAt + "Error 112 To : \n");
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();
}

TEST_F(SendRunTest, APagerThatWaitsForTheNextCallIsComposedOnce)
{
    for (const char* name : {"A", "B"}) {
        PagerRecord& p = AddPager(name);
        p.Groups = {"Ops"};
        p.PagesPerCall = 1;
        p.SendPageCounter = 1;
        p.PageCounter = 5;
    }
    Queue("Ops", "hi");
    Run();
    ASSERT_EQ(transports.calls.size(), 2u);
    EXPECT_EQ(transports.calls[1].pages.at(0).message, "6- hi");
    EXPECT_EQ(pagers.FindByName("B")->PageCounter, 6);
}

TEST_F(SendRunTest, ConfirmationTextsFollowThePagePort)
{
    AddPager("A");
    Queue("A", "hi");
    Run();
    settings.Write(key::PagePort, "SV");
    Queue("A", "hi");
    Run();
    ASSERT_EQ(transports.gateway.size(), 1u);
    EXPECT_EQ(transports.gateway[0].text, "hi");
    settings.Write(key::ConfirmPages, "0");
    Queue("A", "hi");
    Run();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "Your page(s) were delivered successfully.");
    EXPECT_EQ(boxes.shown[0].caption, "Corvane");
    EXPECT_EQ(boxes.shown[1].text, "Your page request(s) are being delivered to the paging server.");
}

TEST_F(SendRunTest, QuietCommandRunsAndScheduledRunsShowNothingButLogTheFailure)
{
    AddPager("A");
    queue.showMessages = false;
    transports.sendScripts.push_back(Answer(kCallNoAnswer));
    Queue("A", "hi", kOriginCommand);
    Run(kSendCommand);
    EXPECT_EQ(ErrorLog(), kAt + "Error 5 To A: hi\n");
    EXPECT_THAT(ports.events, ElementsAre("open page 300 quiet", "close page"));

    queue.showMessages = true;
    transports.sendScripts.push_back(Answer(kCallBusy));
    Queue("A", "hi");
    Queue("A", "ok");
    ports.events.clear();
    Run(kSendScheduled);
    EXPECT_EQ(ports.events.front(), "open page 300 shown");  // the port's own messages still show
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();
    EXPECT_TRUE(transports.calls[0].errorsShown.empty());
    EXPECT_TRUE(transports.calls[1].errorsShown.empty());
}

TEST_F(SendRunTest, AFailedCallShowsItsErrorWithThePagerOnlyForOnePage)
{
    AddPager("A");
    AddPager("B");
    view.minimized = true;
    transports.sendScripts.push_back(Answer(kCallNoDialtone));
    transports.sendScripts.push_back(Answer(kCallNoDialtone));
    Queue("A", "hi");
    Queue("B", "hi");
    Run();
    ASSERT_EQ(transports.calls[0].errorsShown.size(), 1u);
    EXPECT_EQ(transports.calls[0].errorsShown[0], nullptr);  // two counted pages
    EXPECT_FALSE(view.minimized);
    EXPECT_TRUE(boxes.shown.empty());  // a failed run is not confirmed

    Queue("A", "hi");
    Run();
    ASSERT_EQ(transports.calls[1].errorsShown.size(), 1u);
    ASSERT_NE(transports.calls[1].errorsShown[0], nullptr);
    EXPECT_EQ(transports.calls[1].errorsShown[0]->UserName, "A");
}

TEST_F(SendRunTest, APagePortThatDoesNotOpenStillLetsSnppPagesGoAndARefusingGatewayIsAnError)
{
    ports.openResult = false;
    AddPager("Net", "SNPP:pager.example");
    Queue("Net", "up");
    Run();
    EXPECT_EQ(PageLog(), kAt + "Net: up\n");

    settings.Write(key::PagePort, "SV");
    transports.gatewayResult = false;
    AddPager("A");
    Queue("A", "hi");
    Run();
    EXPECT_EQ(ErrorLog(), kAt + "Error 111 To A: hi\n");
    EXPECT_TRUE(boxes.shown.empty());  // both runs count as failed: no confirmation
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
    EXPECT_EQ(PageLog() + ErrorLog(), "");
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
    EXPECT_EQ(ErrorLog(), kAt + "Error 2 To A: hi\n" + kAt + "Error 2 To B: there\n");
}

TEST_F(SendRunTest, TheRunShowsItsProgressSwitchesTheCommandsAndBorrowsTheMonitorPort)
{
    settings.Write(key::MonitorPort, "/dev/ttyS0");
    ports.monitorOpen = true;
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
    EXPECT_THAT(ports.events, ElementsAre("close monitor", "open page 300 shown", "close page", "open monitor"));
    EXPECT_EQ(view.minimizeCalls, 1);
    EXPECT_EQ(view.exitPosts, 1);
    EXPECT_TRUE(queue.requests.empty());
    EXPECT_GE(pump.waits, 2 * 4000 / kPumpIntervalMs);  // window events run for 4 s after each modem call
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
