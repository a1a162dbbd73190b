#include "directory/service_file.h"

#include <functional>

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include "directory/data_file.h"
#include "directory/service_list.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

using test::CRecordingMessageBox;
using test::CTempDir;

ServiceRecord FullService()
{
    ServiceRecord s;
    s.Code = 12;
    s.MaximumPageLength = 240;
    s.Name = "Metro Paging";
    s.WaitForConnection = "45";
    s.DelayTime = "3";
    s.PinDelayTime = "7";
    s.PhoneNumber = "SNPP:10.0.0.5:444";
    s.ServiceType = "1";
    s.SystemPassword = "secret";
    s.Separator = "#";
    s.BaudRate = "2400";
    s.PagesPerCall = 17;
    return s;
}

// The tail every layout shares: Separator to Code.
void Tail(CDataWriter& w, const ServiceRecord& s)
{
    w.String(s.Separator);
    w.String(s.SystemPassword);
    w.Word(s.MaximumPageLength);
    w.String(s.Name);
    w.String(s.WaitForConnection);
    w.String(s.DelayTime);
    w.String(s.ServiceType);
    w.String(s.PhoneNumber);
    w.Word(s.Code);
}

std::string Le(std::initializer_list<int> bytes)
{
    std::string out;
    for (int b : bytes) out.push_back(static_cast<char>(b));
    return out;
}

TEST(ServiceFile, Layout4IsWrittenByteForByte)
{
    ServiceRecord s;
    s.Code = 3;
    s.Name = "A";
    s.Separator = "";
    CServiceList list;
    list.Duplicate(s);
    std::string expected = Le({4, 0, 0x0F, 0x27})                     // layout 4, PagesPerCall 9999
                           + Le({10, 0}) + "<default>" + Le({0})      // BaudRate
                           + Le({2, 0}) + "2" + Le({0})               // PinDelayTime
                           + Le({1, 0, 0})                            // Separator "" as length 1 and a zero
                           + Le({1, 0, 0})                            // SystemPassword
                           + Le({80, 0})                              // MaximumPageLength
                           + Le({2, 0}) + "A" + Le({0})               // Name
                           + Le({3, 0}) + "60" + Le({0})              // WaitForConnection
                           + Le({2, 0}) + "8" + Le({0})               // DelayTime
                           + Le({2, 0}) + "0" + Le({0})               // ServiceType
                           + Le({1, 0, 0})                            // PhoneNumber
                           + Le({3, 0});                              // Code
    EXPECT_EQ(WriteServiceRecords(list), expected);
}

TEST(ServiceFile, Layout4RoundTripsEveryField)
{
    CServiceList written;
    written.Duplicate(FullService());
    ServiceRecord second = FullService();
    second.Code = 32000;
    second.Name = std::string("caf\xE9 \x01", 6);  // bytes kept as they are
    second.PagesPerCall = -1;
    written.Duplicate(second);

    CServiceList read;
    ServiceReadResult result = ReadServiceRecords(WriteServiceRecords(written), read);
    EXPECT_EQ(result.records, 2);
    EXPECT_FALSE(result.damaged);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read.at(0), FullService());
    EXPECT_EQ(read.at(1), second);
}

TEST(ServiceFile, OlderLayoutsKeepTheDefaultsOfWhatTheyLack)
{
    const ServiceRecord s = FullService();
    struct Case {
        const char* name;
        std::int16_t layout;
        bool hasPin, hasBaud;
    };
    for (const Case& c : {Case{"layout 3", 3, true, true}, Case{"layout 2", 2, true, false},
                          Case{"layout 1", 1, false, false}, Case{"first word 0", 0, false, false},
                          Case{"first word 9", 9, false, false}, Case{"first word -4", -4, false, false}}) {
        SCOPED_TRACE(c.name);
        CDataWriter w;
        w.Word(c.layout);
        if (c.hasBaud) w.String(s.BaudRate);
        if (c.hasPin) w.String(s.PinDelayTime);
        Tail(w, s);
        CServiceList list;
        ASSERT_EQ(ReadServiceRecords(w.bytes(), list).records, 1);
        ServiceRecord expected = s;
        expected.PagesPerCall = 9999;
        if (!c.hasBaud) expected.BaudRate = "<default>";
        if (!c.hasPin) expected.PinDelayTime = "2";
        EXPECT_EQ(list.at(0), expected);
    }
}

TEST(ServiceFile, AFirstWordOfOneIsFollowedByTheSeparatorLength)
{
    // 1, then Separator "##" (length word 3), then the rest of the tail.
    std::string bytes = Le({1, 0, 3, 0}) + "##" + Le({0}) + Le({1, 0, 0}) + Le({50, 0}) + Le({2, 0}) + "N" +
                        Le({0}) + Le({3, 0}) + "30" + Le({0}) + Le({2, 0}) + "5" + Le({0}) + Le({2, 0}) + "1" +
                        Le({0}) + Le({4, 0}) + "555" + Le({0}) + Le({9, 0});
    CServiceList list;
    ASSERT_EQ(ReadServiceRecords(bytes, list).records, 1);
    EXPECT_EQ(list.at(0).Separator, "##");
    EXPECT_EQ(list.at(0).MaximumPageLength, 50);
    EXPECT_EQ(list.at(0).Name, "N");
    EXPECT_EQ(list.at(0).PhoneNumber, "555");
    EXPECT_EQ(list.at(0).Code, 9);
}

TEST(ServiceFile, ADamagedRecordStopsTheReadingAndKeepsEarlierRecords)
{
    CServiceList good;
    good.Duplicate(FullService());
    const std::string first = WriteServiceRecords(good);

    // A second record whose Name length word is the given value, then a third good record.
    auto withBadName = [&](std::int16_t length) {
        CDataWriter w;
        w.Word(std::int16_t{2});
        w.String("2");
        w.String("*");
        w.String("");
        w.Word(std::int16_t{80});
        w.Word(length);
        return first + w.bytes() + std::string(1200, 'x') + first;
    };
    struct Case {
        const char* name;
        std::string bytes;
    };
    for (const Case& c : {Case{"length 0", withBadName(0)}, Case{"negative length", withBadName(-3)},
                          Case{"length 1001", withBadName(1001)},
                          Case{"cut inside a string", first + first.substr(0, 20)},
                          Case{"cut before the code", first + first.substr(0, first.size() - 1)}}) {
        SCOPED_TRACE(c.name);
        CServiceList list;
        ServiceReadResult result = ReadServiceRecords(c.bytes, list);
        EXPECT_TRUE(result.damaged);
        EXPECT_EQ(result.records, 1);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list.at(0), FullService());
    }
}

TEST(ServiceFile, OneStrayByteAtTheEndIsNoRecord)
{
    CServiceList good;
    good.Duplicate(FullService());
    CServiceList list;
    ServiceReadResult result = ReadServiceRecords(WriteServiceRecords(good) + "\x04", list);
    EXPECT_EQ(result.records, 1);
    EXPECT_FALSE(result.damaged);
}

TEST(ServiceFile, AStringIsTakenUpToItsFirstZeroByte)
{
    std::string bytes = Le({1, 0, 5, 0}) + std::string("ab\0cd", 5) + Le({1, 0, 0, 80, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0,
                                                                        1, 0, 0, 1, 0, 0, 4, 0});
    CServiceList list;
    ASSERT_EQ(ReadServiceRecords(bytes, list).records, 1);
    EXPECT_EQ(list.at(0).Separator, "ab");
    EXPECT_EQ(list.at(0).Code, 4);
}

class ServiceFiles : public ::testing::Test {
protected:
    CTempDir dir;
    CTempDir shared;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    DataFiles files{dir.path(), settings, boxes};

    void WriteServices(const CTempDir& where, std::vector<ServiceRecord> records)
    {
        CServiceList list;
        for (auto& r : records) list.Duplicate(r);
        where.Write("SERVICES.DAT", WriteServiceRecords(list));
    }
    static ServiceRecord Named(const char* name, std::int16_t code)
    {
        ServiceRecord r;
        r.Name = name;
        r.Code = code;
        return r;
    }
};

TEST_F(ServiceFiles, SaveWritesOnlyLocalRecordsAndLoadLocalReadsThemBack)
{
    CServiceList list;
    list.Duplicate(Named("A", 2));
    list.Duplicate(Named("scratch", 0));
    list.Duplicate(Named("shared", -4));
    list.Duplicate(Named("B", 1));
    ASSERT_TRUE(list.Save(files));
    EXPECT_TRUE(boxes.shown.empty());

    CServiceList loaded;
    loaded.Duplicate(Named("left over", 7));
    loaded.SetNextCodeHint(9);
    loaded.LoadLocal(files);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded.at(0).Name, "A");
    EXPECT_EQ(loaded.at(1).Name, "B");
    EXPECT_EQ(loaded.NextCodeHint(), 1);
}

TEST_F(ServiceFiles, AMissingLocalFileIsAnEmptyListWithoutAMessage)
{
    CServiceList list;
    list.LoadLocal(files);
    EXPECT_EQ(list.size(), 0u);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ServiceFiles, ReloadAppendsTheSharedServicesWithNegatedCodes)
{
    WriteServices(dir, {Named("Local", 1)});
    // A stored -6 or 0 cannot come from a local file: left out, never read as local.
    WriteServices(shared, {Named("Shared one", 12), Named("Damaged", -6), Named("Shared two", 1), Named("Zero", 0)});
    std::string folder = shared.path();
    folder.pop_back();  // the folder may be given without its trailing slash
    settings.Write(key::PagerFilePath, folder);
    CServiceList list;
    list.Reload(files);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.at(0).Code, 1);
    EXPECT_EQ(list.at(1).Code, -12);
    EXPECT_EQ(list.at(2).Code, -1);
    EXPECT_EQ(list.at(2).Name, "Shared two");
    EXPECT_TRUE(boxes.shown.empty());

    // A save of that list keeps the shared services out of the local file.
    ASSERT_TRUE(list.Save(files));
    CServiceList again;
    again.LoadLocal(files);
    EXPECT_EQ(again.size(), 1u);
}

TEST_F(ServiceFiles, NoSharedServicesWithAnOdbcSourceOrWithoutAPath)
{
    WriteServices(dir, {Named("Local", 1)});
    WriteServices(shared, {Named("Shared", 2)});
    CServiceList list;
    list.Reload(files);  // no PagerFilePath
    EXPECT_EQ(list.size(), 1u);
    settings.Write(key::PagerFilePath, shared.path());
    settings.Write(key::SharedType, "1");
    list.Reload(files);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ServiceFiles, SharedFileFailuresNameThePathAndOfferRetry)
{
    WriteServices(dir, {Named("Local", 1)});
    struct Case {
        const char* name;
        std::string path;
        std::string text;
        const char* caption;
    };
    const std::string missing = shared.path() + "SERVICES.DAT";
    const std::string badDir = shared.path() + "nowhere/";
    for (const Case& c :
         {Case{"not found", shared.path(),
               "Unable to locate the shared service data file " + missing +
                   " on that path.  Please correct the pathname to the file on the Service Data tab in Preferences.",
               "Service Read Error"},
          Case{"bad path", badDir,
               "Unable to locate the shared service data file " + badDir +
                   "SERVICES.DAT.  That is not a valid path.  Please correct the pathname to the file on the "
                   "Service Data tab in Preferences.",
               "Service Read Error"}}) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        settings.Write(key::PagerFilePath, c.path);
        CServiceList list;
        list.Reload(files);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, c.text);
        EXPECT_EQ(boxes.shown[0].caption, c.caption);
        EXPECT_EQ(boxes.shown[0].buttons, MbButtons::RetryCancel);
        EXPECT_EQ(boxes.shown[0].icon, MbIcon::Warning);
        EXPECT_EQ(list.size(), 1u);  // Cancel gives up the shared part only
    }
}

TEST_F(ServiceFiles, RetryReadsTheSharedFileOnceItIsThere)
{
    settings.Write(key::PagerFilePath, shared.path());
    boxes.answers = {MbAnswer::Retry, MbAnswer::Retry};
    int asked = 0;
    // The first Retry finds nothing yet; the file appears before the second.
    struct CreatingBox : IMessageBox {
        CRecordingMessageBox& inner;
        std::function<void()> onSecond;
        int& count;
        CreatingBox(CRecordingMessageBox& i, std::function<void()> f, int& n) : inner(i), onSecond(f), count(n) {}
        MbAnswer Show(const std::string& t, const std::string& c, MbIcon i, MbButtons b) override
        {
            if (++count == 2) onSecond();
            return inner.Show(t, c, i, b);
        }
    } box(boxes, [&] { WriteServices(shared, {Named("Late", 3)}); }, asked);
    DataFiles retrying{dir.path(), settings, box};
    CServiceList list;
    list.Reload(retrying);
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.at(0).Code, -3);
}

TEST_F(ServiceFiles, ASharedFileBeingWrittenIsASharingViolation)
{
    WriteServices(shared, {Named("Shared", 2)});
    settings.Write(key::PagerFilePath, shared.path());
    int fd = ::open(shared.File("SERVICES.DAT").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);  // another copy of the program is writing it
    CServiceList list;
    list.Reload(files);
    ::close(fd);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Sharing Violation");
    EXPECT_EQ(boxes.shown[0].text, "Unable to access the shared service data file " + shared.path() +
                                       "SERVICES.DAT.  Another process is currently writing to the file.");
    EXPECT_EQ(list.size(), 0u);
}

TEST_F(ServiceFiles, WriteFailuresAskRetryAndCancelKeepsTheOldFile)
{
    WriteServices(dir, {Named("Old", 1)});
    int fd = ::open(dir.File("SERVICES.DAT").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_SH), 0);  // another copy is reading it
    CServiceList list;
    list.Duplicate(Named("New", 1));
    boxes.answers = {MbAnswer::Retry, MbAnswer::Cancel};
    EXPECT_FALSE(list.Save(files));
    ::close(fd);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text,
              "Unable to write the local service data file.  Another process is currently using the file.");
    EXPECT_EQ(boxes.shown[0].caption, "Sharing Violation");
    EXPECT_EQ(boxes.shown[0].buttons, MbButtons::RetryCancel);
    CServiceList loaded;
    loaded.LoadLocal(files);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded.at(0).Name, "Old");

    // Once the reader is gone, Save goes through.
    EXPECT_TRUE(list.Save(files));
    loaded.LoadLocal(files);
    EXPECT_EQ(loaded.at(0).Name, "New");
}

TEST_F(ServiceFiles, AnUnwritableDataDirectoryIsAnUnspecifiedWriteError)
{
    CMemorySettings s;
    CRecordingMessageBox b;
    DataFiles nowhere{dir.path() + "missing/", s, b};
    CServiceList list;
    list.Duplicate(Named("A", 1));
    EXPECT_FALSE(list.Save(nowhere));
    ASSERT_EQ(b.shown.size(), 1u);
    EXPECT_EQ(b.shown[0].text, "Unspecified error writing the local service data file.");
    EXPECT_EQ(b.shown[0].caption, "Service Write Error");
}

}  // namespace
}  // namespace corvane
