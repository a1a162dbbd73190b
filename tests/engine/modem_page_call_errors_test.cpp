// The page call's message boxes, and terminals that send garbage, flood the line,
// answer half a reply or go away in the middle of a call.

#include "tests/engine/modem_page_call_fixture.h"

namespace corvane::test {
namespace {

using sim::DialOutcome;

struct TextCase {
    int code;
    const char* single;
    const char* group;  // null: the same text
};

const TextCase kTexts[] = {
    {1, "The COM port for the paging modem is not open.", nullptr},
    {2, "The page has been canceled.", "The pages have been canceled."},
    {3, "There is no dialtone on the phone line.  Please check the connection of the phone line to the modem.",
     nullptr},
    {4, "The pager phone number is busy.", nullptr},
    {5, "There is no answer at the paging company.  Please check that you are using the correct phone number.",
     nullptr},
    {6, "While sending the page, the modem stopped responding.",
     "While sending a group of pages, the modem stopped responding."},
    {7, "No response from central paging.  This may be due to an improper modem initialization string.", nullptr},
    {8, "Central paging not reporing ready.", nullptr},
    {9, "Central paging not acknowledging receipt of page.", nullptr},
    {10, "Error writing to page COM port.", nullptr},
    {11, "Cannot log into central paging.  This may be due to an improper modem initialization string.", nullptr},
    {12, "Did not receive go-ahead from central paging.  This may be due to an improper modem initialization string.",
     nullptr},
    {13,
     "The paging company would not accept the page.  The pager ID number may be invalid, or you may have set the "
     "maximum page length too high.",
     "The paging company would not accept one or more of your pages.  One or more of the pager ID numbers may be "
     "invalid, or you may have set the maximum page length too high.  Please refer to the ERRORLOG.TXT file for a "
     "list of which pager(s) caused this error."},
};

TEST(ModemCallTexts, EverySingleAndGroupText)
{
    for (const TextCase& c : kTexts) {
        EXPECT_EQ(CModemPageCall::ResultText(c.code, false), c.single) << c.code;
        EXPECT_EQ(CModemPageCall::ResultText(c.code, true), c.group ? c.group : c.single) << c.code;
    }
    EXPECT_EQ(CModemPageCall::ResultText(0, false), "");
    EXPECT_EQ(CModemPageCall::ResultText(14, true), "");
}

TEST_F(ModemCallTest, ShowErrorForOnePagerNamesItInTheCaption)
{
    script.laterDials = DialOutcome::Busy;
    CallOptions options;
    options.attempts = 0;
    auto call = MakeCall(options);
    PagerRecord& bob = Pager("Bob", "1");
    call->AddPage(true, bob, "x", "");
    ASSERT_EQ(call->SendAlphaPages(), kCallBusy);
    call->ShowError(&bob);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "The pager phone number is busy.");
    EXPECT_EQ(boxes.shown[0].caption, "Page to Bob");
    EXPECT_EQ(boxes.shown[0].icon, MbIcon::Warning);
}

TEST_F(ModemCallTest, ShowErrorForAGroupUsesTheGroupTextAndPageError)
{
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    call->AddPage(true, Pager("Bob", "2"), "y", "");
    pump.onWait = [](int) { return PumpResult::Cancel; };
    ASSERT_EQ(call->SendAlphaPages(), kCallCancelled);
    call->ShowError(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "The pages have been canceled.");
    EXPECT_EQ(boxes.shown[0].caption, "Page Error");
}

TEST_F(ModemCallTest, WriteErrorShowsItsCodeFirst)
{
    StartCentral();
    port->failWritesFrom = 1;
    port->failFlags = kCommTxFull | kCommIoError;
    auto call = MakeCall();
    PagerRecord& ann = Pager("Ann", "1");
    call->AddPage(true, ann, "x", "");
    ASSERT_EQ(call->SendAlphaPages(), kCallWriteError);
    call->ShowError(&ann);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "No Write code 1280");
    EXPECT_EQ(boxes.shown[0].caption, "Page to Ann");
    EXPECT_EQ(boxes.shown[1].text, "Error writing to page COM port.");
}

TEST_F(ModemCallTest, SuccessShowsNothing)
{
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    ASSERT_EQ(call->SendAlphaPages(), kCallOk);
    call->ShowError(nullptr);
    EXPECT_TRUE(boxes.shown.empty());
}

// ---- bad input ----

TEST_F(ModemCallTest, FloodAfterConnectEndsByTheLogonPromptTimeOut)
{
    script.floodAfterConnect = true;
    script.floodBytesPerSecond = 200000;
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    const std::uint64_t start = clock.TickMs();
    EXPECT_EQ(call->SendAlphaPages(), kCallNoIdPrompt);
    // Dial 3 s, settle 2 s, six prompt waits of 2 s, then the hang-up: the 1 s guard, the
    // modem's OK a second after "+++" found in the middle of the flood, and the OK to ATH
    // at the next pump interval.
    EXPECT_EQ(clock.TickMs() - start, 3000u + 2000u + 12000u + 1000u + 1000u + kPumpIntervalMs);
    EXPECT_EQ(central->Logons(), 0);
}

TEST_F(ModemCallTest, FloodInsteadOfADialResultIsNoAnswer)
{
    script.laterDials = DialOutcome::Flood;
    CallOptions options;
    options.attempts = 0;
    auto call = MakeCall(options);
    EXPECT_EQ(call->SendAlphaPages(), kCallNoAnswer);
}

TEST_F(ModemCallTest, HalfRepliesEndByTheirTimeOuts)
{
    struct Case {
        const char* what;
        void (*edit)(sim::SimScript&);
        int result;
    };
    const Case cases[] = {
        {"half CONNECT", [](sim::SimScript& s) { s.connectText = "CONNEC"; }, kCallNoAnswer},
        {"half prompt", [](sim::SimScript& s) { s.idText = "ID"; }, kCallNoIdPrompt},
        {"half go-ahead", [](sim::SimScript& s) { s.goAheadText = "\x1b["; }, kCallNoGoAhead},
        {"go-ahead with the bytes apart", [](sim::SimScript& s) { s.goAheadText = "\x1b p"; }, kCallNoGoAhead},
    };
    for (const Case& c : cases) {
        script = {};
        c.edit(script);
        StartCentral();
        CallOptions options;
        options.attempts = 0;
        auto call = MakeCall(options);
        call->AddPage(true, Pager("Ann", "1"), "x", "");
        EXPECT_EQ(call->SendAlphaPages(), c.result) << c.what;
        EXPECT_EQ(view.statusLine.back(), "Ready") << c.what;
    }
}

TEST_F(ModemCallTest, DeviceThatDisappearsMidCallEndsTheCallPromptly)
{
    script.disappearAfterBlock = 2;
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    call->AddPage(true, Pager("Bob", "2"), "two", "");
    call->AddPage(true, Pager("Cid", "3"), "three", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallWriteError);
    EXPECT_EQ(Statuses(), (std::vector<int> {0, 10, 10}));
    // No 30-second waits for a line that is gone: one pump interval, then the hang-up's
    // one-second guard.
    EXPECT_LE(clock.TickMs() - Time(Block("2", "two")), 1000u + 3 * kPumpIntervalMs);
    EXPECT_EQ(central->Pages().size(), 1u);
}

TEST_F(ModemCallTest, DeviceGoneBeforeANumericPageIsAWriteError)
{
    script.numeric = true;
    script.disappearAfterBlock = 0;
    StartCentral();
    port->failWritesFrom = 1;
    port->failFlags = kCommIoError;
    auto call = MakeCall();
    EXPECT_EQ(call->SendNumericPage("1", "2", "3"), kCallWriteError);
}

}  // namespace
}  // namespace corvane::test
