#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/page_text.h"
#include "tests/engine/send_run_fixture.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;

class TestPageTest : public SendRunTest {
protected:
    void Test(const std::string& phone, const std::string& type)
    {
        PagerRecord p;  // an edited entry that was never saved
        p.UserName = "Unsaved";
        p.PhoneNumber = phone;
        p.PagerType = type;
        p.PagerID = "4242";
        p.BaudRate = "1200";
        SendRunContext context = Context();
        SendTestPage(context, p);
    }
};

TEST_F(TestPageTest, ANumericPagerGetsTheDigitsAndAnAlphanumericOneTheText)
{
    Test("5550000", "0");
    Test("5551111", "1");
    ASSERT_EQ(transports.calls.size(), 2u);
    EXPECT_EQ(transports.calls[0].numeric, (std::vector<std::pair<std::string, std::string>> {{"4242", "1234567"}}));
    ASSERT_EQ(transports.calls[1].pages.size(), 1u);
    EXPECT_EQ(transports.calls[1].pages[0].message, "Test Message");
    EXPECT_TRUE(transports.calls[1].pages[0].counted);
    EXPECT_EQ(PageLog(), "");  // a test page is not logged
    EXPECT_THAT(ports.events, ElementsAre("open page 1200 shown", "close page", "open page 1200 shown", "close page"));
    EXPECT_EQ(view.statusLine.front(), "Initializing the Paging Modem");
    EXPECT_EQ(view.statusLine.back(), "Ready");
    EXPECT_FALSE(queue.pageInProgress);
}

TEST_F(TestPageTest, SnppNumericGetsBothTextsAndAGatewayATemporaryPagerNamedTestPage)
{
    settings.Write(key::PagePort, "MD");
    Test("SNPP:pager.example", "0");
    ASSERT_EQ(transports.calls.size(), 2u);
    EXPECT_TRUE(transports.calls[0].snpp);
    EXPECT_EQ(transports.calls[0].numeric.size(), 1u);
    EXPECT_EQ(transports.calls[1].pages[0].message, "Test Message");
    EXPECT_TRUE(transports.gateway.empty());

    settings.Write(key::PagePort, "SV");
    Test("5551111", "1");
    ASSERT_EQ(transports.gateway.size(), 1u);
    EXPECT_EQ(transports.gateway[0].name, "Test Page");
    EXPECT_EQ(transports.gateway[0].text, "Test Message");

    // A pager's own paging terminal on the network is called whatever the page port is.
    Test("tcp:10.0.0.9:9000", "1");
    EXPECT_EQ(transports.gateway.size(), 1u);
    ASSERT_EQ(transports.calls.size(), 3u);
    EXPECT_FALSE(transports.calls[2].snpp);
    EXPECT_EQ(transports.calls[2].phone, "tcp:10.0.0.9:9000");
    EXPECT_EQ(transports.calls[2].pages[0].message, "Test Message");
}

TEST_F(TestPageTest, AnSnppTestToANumericPagerShowsOneResult)
{
    struct Case {
        int digits, text;
        std::size_t calls, digitsBoxes, textBoxes;
    };
    const Case cases[] = {
        {kSnppPageRejected, kSnppPageRejected, 2, 1, 0},  // the first failure
        {0, kSnppMessRejected, 2, 0, 1},
        {kSnppCancelled, 0, 1, 1, 0},  // a cancel ends the test
    };
    for (const Case& c : cases) {
        transports.calls.clear();
        transports.numericScript = [&c](const PagerRecord&, const std::string&) { return c.digits; };
        transports.sendScripts = {SendScript {}, Answer(c.text)};  // the digits' client, the text's
        Test("SNPP:pager.example", "0");
        ASSERT_EQ(transports.calls.size(), c.calls) << c.digits;
        EXPECT_EQ(transports.calls[0].errorsShown.size(), c.digitsBoxes) << c.digits;
        if (c.calls > 1) {
            EXPECT_EQ(transports.calls[1].errorsShown.size(), c.textBoxes) << c.digits;
        }
    }
}

TEST_F(TestPageTest, AFailureIsShownWithoutAPagerAndATestDuringARunIsRefused)
{
    transports.sendScripts.push_back(Answer(kCallBusy));
    Test("5551111", "1");
    ASSERT_EQ(transports.calls[0].errorsShown.size(), 1u);
    EXPECT_EQ(transports.calls[0].errorsShown[0], nullptr);  // "Page Error"

    queue.pageInProgress = true;
    Test("5551111", "1");
    EXPECT_EQ(transports.calls.size(), 1u);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "There is a page currently in progress.  Please try again once the page has been sent.");
    EXPECT_EQ(boxes.shown[0].caption, "Paging Error");
}

TEST(PageText, TheCountHintAddsSuffixMessageAndSignatureAndTheSuffixTakesBothClocks)
{
    EXPECT_EQ(PageCountHint(0, 0, 0, 80), "no pages to deliver the");
    EXPECT_EQ(PageCountHint(0, 80, 0, 80), "1 page to deliver the");
    EXPECT_EQ(PageCountHint(0, 81, 0, 80), "2 separate pages to deliver the");
    EXPECT_EQ(PageCountHint(6, 70, 3, 80), "1 page to deliver the");  // 6 + 70 + 3 + 1 = 80
    EXPECT_EQ(PageCountHint(6, 71, 3, 80), "2 separate pages to deliver the");
    EXPECT_EQ(PageCountHint(0, 0, 5, 80), "1 page to deliver the");  // the signature alone

    ContentOptions options;
    const std::time_t evening = 983955900 + 12 * 3600;  // 21:05
    options.time = true;
    EXPECT_EQ(ContentSuffix(options, evening), " 09:05");
    options.hour24 = true;
    options.date = true;
    EXPECT_EQ(ContentSuffix(options, evening), " 21:05 03/07/01");
    EXPECT_EQ(options.SuffixLength(), 15);
}

TEST(PageText, TheDateTakesTheUsersShortFormWithinEightCharacters)
{
    CTempDir locales;
    for (const char* name : {"en_GB", "de_DE"}) {
        const std::string command = "localedef -i " + std::string(name) + " -f UTF-8 " + locales.File(name) +
                                    ".UTF-8 >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) GTEST_SKIP() << "localedef cannot make " << name;
    }
    ::setenv("LOCPATH", locales.path().c_str(), 1);
    ContentOptions options;
    options.date = true;
    const std::time_t march7 = 983955900;
    // The British form as it is; the German one ("07.03.2001") with a two-digit year.
    const std::pair<const char*, const char*> cases[] = {
        {"en_GB.UTF-8", " 07/03/01"}, {"de_DE.UTF-8", " 07.03.01"}, {"C", " 03/07/01"}};
    for (auto [locale, suffix] : cases) {
        ::setenv("LC_ALL", locale, 1);
        EXPECT_EQ(ContentSuffix(options, march7), suffix) << locale;
    }
    ::unsetenv("LC_ALL");
    ::unsetenv("LOCPATH");
}

}  // namespace
}  // namespace corvane::test
