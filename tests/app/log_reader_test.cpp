// The log viewer's reading of the page and error logs, Clear, and Resubmit.

#include "app/core/log_reader.h"
#include "app/core/page_log_viewer.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

#include <gtest/gtest.h>

#include "engine/page_request.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

constexpr const char* kT1 = "03/07/01 09:05AM ";
constexpr const char* kT2 = "03/07/01 10:55PM ";

std::string T1(const std::string& rest) { return kT1 + rest; }
std::string T2(const std::string& rest) { return kT2 + rest; }

// "list text => message" for every entry, one a line.
std::string Listed(const CLogReader& reader)
{
    std::string out;
    for (std::size_t i = 0; i < reader.size(); ++i)
        out += reader.Entries()[i].text + " => " + reader.ReadMessage(i) + "\n";
    return out;
}

TEST(LogReaderTest, EntriesAndMessagesAsTheViewerListsThem)
{
    struct Case {
        const char* what;
        std::string file;
        std::string listed;
    };
    const Case cases[] = {
        {"a page and a failed page", T1("Sales: Call home\n") + T2("Error 13 To Sales: Call home\n"),
         T1("Sales => Call home\n") + T2("Error 13 To Sales => Call home\n")},
        {"lines ended by CR LF", T1("Bob: one\r\n") + T2("Carl: two\r\n"), T1("Bob => one\n") + T2("Carl => two\n")},
        {"a message over several lines is whole", T1("Bob: line one\nline two\r\n\nline four\n") + T2("Carl: x\n"),
         T1("Bob => line one\nline two\r\n\nline four\n") + T2("Carl => x\n")},
        {"text before the first timestamp is skipped", "junk\n03/07/01\n" + T1("Bob: hi\n"), T1("Bob => hi\n")},
        {"a head that meets a line break is not listed, and ends the message before it",
         T1("Al: a\n") + T1("broken head\nmore\n") + T2("Carl: c\n"), T1("Al => a\n") + T2("Carl => c\n")},
        {"a timestamp alone on its line", T1("Al: a\n") + "03/07/01 09:05AM\n" + T2("Carl: c"),
         T1("Al => a\n") + T2("Carl => c\n")},
        {"a timestamp quoted inside a message does not cut it", T1("Bob: called at 03/07/01 09:05AM: ok\n"),
         T1("Bob => called at 03/07/01 09:05AM: ok\n")},
        {"the last line without a line end", T1("Bob: hi"), T1("Bob => hi\n")},
        {"empty messages", T1("Bob: \n") + T1("Carl:\n") + T1("Dan:"), T1("Bob => \n") + T1("Carl => \n") + T1("Dan => \n")},
        {"incoming calls and voice calls", T1("Incoming Call: 5551234 \n") + T1("Bob: Voice call to 555\n"),
         T1("Incoming Call => 5551234 \n") + T1("Bob => Voice call to 555\n")},
        {"shorter than a timestamp", "03/07/01 09:05AM", ""},
        {"empty", "", ""},
    };
    CTempDir dir;
    for (const Case& c : cases) {
        dir.Write("log.txt", c.file);
        CLogReader reader;
        EXPECT_TRUE(reader.Open(dir.File("log.txt"))) << c.what;
        EXPECT_EQ(Listed(reader), c.listed) << c.what;
    }
    CLogReader missing;
    EXPECT_FALSE(missing.Open(dir.File("none.txt")));
    EXPECT_EQ(missing.size(), 0u);
    EXPECT_EQ(missing.ReadMessage(0), "");
}

TEST(LogReaderTest, BinaryBytesAndAOneMegabyteEntry)
{
    CTempDir dir;
    std::string noise;
    for (int i = 0; i < 70000; ++i) noise.push_back(static_cast<char>((i * 7919) % 256));
    std::string big(1 << 20, 'x');
    for (std::size_t i = 100; i < big.size(); i += 100) big[i] = '\n';
    std::string file = noise + "\n" + T1("Bob: ") + noise + "\n" + T2("Carl: ") + big + "\n" + T1("Dan: ") +
                       std::string("\0\xff:", 3);
    dir.Write("log.txt", file);
    CLogReader reader;
    ASSERT_TRUE(reader.Open(dir.File("log.txt")));
    ASSERT_GE(reader.size(), 3u);
    const std::size_t n = reader.size();
    EXPECT_EQ(reader.Entries()[n - 3].text, T1("Bob"));
    EXPECT_EQ(reader.ReadMessage(n - 3), noise);
    EXPECT_EQ(reader.Entries()[n - 2].text, T2("Carl"));
    EXPECT_EQ(reader.ReadMessage(n - 2), big);
    EXPECT_EQ(reader.ReadMessage(n - 1), std::string("\0\xff:", 3));
}

TEST(LogReaderTest, WhereTheFileIsCutIntoPiecesChangesNothing)
{
    const std::string log = "junk\n" + T1("Al: a\r\n") + T1("no head\r\n") + "03/07/01 09:05AM\n" + T2("Bob:") + "\n" +
                            T2("Carl: x 03/07/01 09:05AM: y\nz\n") + T1("Dan: end");
    auto Describe = [](const std::vector<LogEntry>& entries) {
        std::string out;
        for (const LogEntry& e : entries)
            out += e.text + "@" + std::to_string(e.messageOffset) + "-" + std::to_string(e.messageEnd) + "\n";
        return out;
    };
    const std::string whole = Describe(ScanLogEntries(log, log.size()));
    EXPECT_EQ(std::count(whole.begin(), whole.end(), '\n'), 4);
    for (std::size_t chunk = 1; chunk < 40; ++chunk) EXPECT_EQ(Describe(ScanLogEntries(log, chunk)), whole) << chunk;
}

class PageLogViewerTest : public ::testing::Test {
protected:
    PageLogViewerTest()
    {
        dir.Write("errorlog.txt", T1("Error 5 To John: Call the desk\nat once\n") + T2("Sales: Call home\n") +
                                      T2("Error 13 To Big Team: Status") + "\n");
        viewer.Open(dir.File("errorlog.txt"));
    }
    CTempDir dir;
    CPageQueue queue;
    CFakeMainView view;
    CRecordingMessageBox boxes;
    CPageLogViewer viewer{queue, view, boxes};
};

TEST_F(PageLogViewerTest, ResubmitQueuesEachSelectedEntryForItsPagerAndOKSendsThem)
{
    viewer.Resubmit({0, 1, 2});
    const PageRequestList expected = {
        {kOriginResubmitted, "John", "", "", "Call the desk\nat once"},
        {kOriginResubmitted, "Sales", "", "", "Call home"},
        {kOriginResubmitted, "Big Team", "", "", "Status"},
    };
    EXPECT_EQ(queue.requests, expected);
    ASSERT_EQ(boxes.shown.size(), 3u);  // once per entry
    EXPECT_EQ(boxes.shown[0].text,
              "The page(s) have been resubmitted and will be sent once this dialog box is closed.");
    EXPECT_EQ(boxes.shown[0].caption, "Resubmit Page");
    EXPECT_EQ(boxes.shown[0].icon, MbIcon::Information);
    EXPECT_EQ(view.queueCounts, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(queue.sendRequest, kSendNone);  // not while the dialog is open
    viewer.Finish(true);
    EXPECT_EQ(queue.sendRequest, kSendInteractive);
}

TEST_F(PageLogViewerTest, NothingResubmittedOrClosedWithoutOKLeavesTheTriggerAlone)
{
    viewer.Resubmit({});
    viewer.Finish(true);
    EXPECT_EQ(queue.sendRequest, kSendNone);
    EXPECT_TRUE(boxes.shown.empty());

    viewer.Resubmit({1});
    viewer.Finish(false);
    EXPECT_EQ(queue.requests.size(), 1u);  // waits for the next send run
    EXPECT_EQ(queue.sendRequest, kSendNone);
    EXPECT_EQ(ResubmitName(T1("Error 5 John")), "Error 5 John");  // no " To ": the head as it is
    EXPECT_EQ(ResubmitName(T1("Error ")), "Error ");
}

TEST_F(PageLogViewerTest, ClearAsksFirst)
{
    boxes.answers = {MbAnswer::No, MbAnswer::Yes};
    EXPECT_FALSE(viewer.Clear());
    EXPECT_EQ(viewer.Reader().size(), 3u);
    EXPECT_EQ(dir.Read("errorlog.txt").size(), 136u);
    EXPECT_TRUE(viewer.Clear());
    EXPECT_EQ(viewer.Reader().size(), 0u);
    EXPECT_EQ(dir.Read("errorlog.txt"), "");
    EXPECT_EQ(boxes.shown[0].buttons, MbButtons::YesNo);
    EXPECT_EQ(boxes.shown[0].icon, MbIcon::Question);
}

TEST_F(PageLogViewerTest, AFileThatCannotBeClearedIsSaidSoAndItsEntriesStay)
{
    CTempDir gone;
    ::mkdir((gone.path() + "sub").c_str(), 0755);
    gone.Write("sub/log.txt", T1("Bob: hi\n"));
    CPageLogViewer other(queue, view, boxes);
    other.Open(gone.File("sub/log.txt"));
    ::unlink(gone.File("sub/log.txt").c_str());
    ::rmdir((gone.path() + "sub").c_str());
    boxes.answers = {MbAnswer::Yes};
    EXPECT_FALSE(other.Clear());
    EXPECT_EQ(other.Reader().size(), 1u);
    EXPECT_EQ(boxes.Texts(), "Clear Page Log: Are you sure you want to clear the log file?\n"
                             "Clear Page Log: Unable to clear the log file " +
                                 gone.File("sub/log.txt") + ".\n");
}

}  // namespace
}  // namespace corvane::test
