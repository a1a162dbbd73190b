#include "directory/pager_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <set>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include "common/file_io.h"
#include "directory/monitor_file.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

// Bytes of the file format, built by hand.
std::string W(int value)
{
    auto v = static_cast<std::uint16_t>(value);
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string S(const std::string& text)
{
    return W(static_cast<int>(text.size()) + 1) + text + std::string(1, '\0');
}

// The common tail of every layout, with the values TailRecord() expects.
std::string Tail(int code = 7)
{
    return S("30") + S("5") + S("1234") + S("1") + S("5551212") + S("555-0101") + S("555-0102") + S("2") +
           S("Call the desk") + W(code);
}

PagerRecord TailRecord()
{
    PagerRecord r;
    r.WaitForConnection = "30";
    r.DelayTime = "5";
    r.PagerID = "1234";
    r.PagerType = "1";
    r.PhoneNumber = "5551212";
    r.VoiceOne = "555-0101";
    r.VoiceTwo = "555-0102";
    r.DefaultPageContent = "2";
    r.CustomMessage = "Call the desk";
    r.Code = 7;
    r.UserName = "Bob";
    return r;
}

std::vector<std::int16_t> Codes(const CPagerList& list)
{
    std::vector<std::int16_t> codes;
    for (const auto& r : list.records()) codes.push_back(r->Code);
    return codes;
}

PagerRecord FullRecord()
{
    PagerRecord r;
    r.Code = 4242;
    r.AutoPageFlags = 5;
    r.PageCounter = 998;
    r.SendPageCounter = 1;
    r.MaximumPageLength = 240;
    r.Groups = {"Night Shift", "", "\xC9quipe, \"A\""};
    r.UserName = "Zo\xEB Park";
    r.WaitForConnection = "45";
    r.DelayTime = "12";
    r.PinDelayTime = "3";
    r.PhoneNumber = "SNPP:paging.example:444";
    r.VoiceOne = "";
    r.VoiceTwo = "+1 555 0100";
    r.CustomData = "Room 4";
    r.PagerID = "88123";
    r.PagerType = "1";
    r.DefaultPageContent = "0";
    r.CustomMessage = "Line one\r\nline two";
    r.SystemPassword = "";
    r.Separator = "#";
    r.ServiceName = "Metro Paging";
    r.BaudRate = "2400";
    r.PagesPerCall = 3;
    return r;
}

TEST(PagerFile, Layout14RecordComesBackWholeExceptItsFlags)
{
    PagerRecord original = FullRecord();
    CDataWriter out;
    WritePagerRecord(out, original);
    CPagerList list;
    PagerReadResult result = ReadPagerRecords(out.bytes(), list);
    EXPECT_EQ(result.records, 1u);
    EXPECT_FALSE(result.damaged);
    ASSERT_EQ(list.size(), 1u);
    PagerRecord expected = original;
    expected.AutoPageFlags = 0;  // MONITOR.DAT keeps it
    EXPECT_EQ(list.at(0), expected);
}

TEST(PagerFile, KnownRecordHasTheseExactBytes)
{
    PagerRecord r;  // the new-record defaults, empty strings among them
    r.Code = 3;
    r.UserName = "Al";
    r.Groups = {"G"};
    CDataWriter out;
    WritePagerRecord(out, r);
    static const char kBytes[] =
        "\x0E\x00" "\x0F\x27"
        "\x0A\x00<default>\x00" "\x02\x00" "2\x00" "\x07\x00<None>\x00" "\x02\x00*\x00"
        "\x01\x00\x00" "\x01\x00\x00"
        "\x50\x00" "\x00\x00" "\x00\x00"
        "\x03\x00" "Al\x00" "\x02\x00" "G\x00" "\x00\x00"
        "\x03\x00" "60\x00" "\x02\x00" "8\x00" "\x01\x00\x00" "\x02\x00" "0\x00"
        "\x01\x00\x00" "\x01\x00\x00" "\x01\x00\x00" "\x02\x00" "1\x00" "\x01\x00\x00"
        "\x03\x00";
    const std::string expected(kBytes, sizeof kBytes - 1);
    EXPECT_EQ(out.bytes(), expected);
}

struct LayoutCase {
    const char* name;
    std::string bytes;
    std::function<void(PagerRecord&)> expect;  // changes from TailRecord()
};

// One hand-built record per layout, each with what it must load as.
std::vector<LayoutCase> LayoutCases()
{
    const std::string l1 = S("Bob") + S("Sales");
    const std::string l2 = W(1) + l1;
    const std::string l3 = W(12) + W(1) + l2;
    const std::string l4 = W(120) + l3;
    const std::string l5 = S("Room 4") + l4;
    const std::string l6 = S("pw") + l5;
    const std::string late = S("pw") + S("Room 4") + W(120) + W(12) + W(1);
    const std::string groups = S("Bob") + S("Sales") + S("") + S("Night") + W(0);
    const std::string l9 = late + groups;
    const std::string l10 = S("-") + l9;
    const std::string l11 = S("Metro") + l10;
    const std::string l12 = S("4") + l11;
    const std::string l13 = S("1200") + l12;
    const std::string l14 = W(2) + l13;

    auto early = [](int layout) {
        return [layout](PagerRecord& r) {
            r.Groups = {"Sales"};
            if (layout >= 2) r.AutoPageFlags = 7;
            if (layout >= 3) r.PageCounter = 12, r.SendPageCounter = 1;
            if (layout >= 4) r.MaximumPageLength = 120;
            if (layout >= 5) r.CustomData = "Room 4";
            if (layout >= 6) r.SystemPassword = "pw";
        };
    };
    auto later = [](int layout, std::uint16_t flags) {
        return [layout, flags](PagerRecord& r) {
            r.Groups = {"Sales", "", "Night"};
            r.AutoPageFlags = flags;
            r.PageCounter = 12;
            r.SendPageCounter = 1;
            r.MaximumPageLength = 120;
            r.CustomData = "Room 4";
            r.SystemPassword = "pw";
            if (layout >= 10) r.Separator = "-";
            if (layout >= 11) r.ServiceName = "Metro";
            if (layout >= 12) r.PinDelayTime = "4";
            if (layout >= 13) r.BaudRate = "1200";
            if (layout >= 14) r.PagesPerCall = 2;
        };
    };
    return {
        // A name shorter than 14 bytes would read as a layout number: the format cannot tell.
        {"oldest", S("Robert Oldfield") + Tail(), [](PagerRecord& r) { r.UserName = "Robert Oldfield"; }},
        {"1", W(1) + l1 + Tail(), early(1)},
        {"1 empty group", W(1) + S("Bob") + S("") + Tail(), [](PagerRecord& r) { r.Groups = {""}; }},
        {"2", W(2) + l2 + Tail(), early(2)},
        {"2 no flags", W(2) + W(0) + l1 + Tail(), [](PagerRecord& r) { r.Groups = {"Sales"}; }},
        {"3", W(3) + l3 + Tail(), early(3)},
        {"4", W(4) + l4 + Tail(), early(4)},
        {"5 flag word 4", W(5) + S("Room 4") + W(120) + W(12) + W(1) + W(4) + l1 + Tail(), early(5)},
        {"6", W(6) + l6 + Tail(), early(6)},
        {"7 flag word 2", W(7) + late + W(2) + groups + Tail(), later(7, 7)},
        {"8 flag word 2", W(8) + late + W(2) + groups + Tail(), later(8, 2)},
        {"9", W(9) + l9 + Tail(), later(9, 0)},
        {"9 group list ended by -1", W(9) + late + S("Bob") + S("Sales") + W(-1) + Tail(),
         [later](PagerRecord& r) {
             later(9, 0)(r);
             r.Groups = {"Sales"};
         }},
        {"10", W(10) + l10 + Tail(), later(10, 0)},
        {"11", W(11) + l11 + Tail(), later(11, 0)},
        {"12", W(12) + l12 + Tail(), later(12, 0)},
        {"13", W(13) + l13 + Tail(), later(13, 0)},
        {"14", W(14) + l14 + Tail(), later(14, 0)},
    };
}

TEST(PagerFile, EveryLayoutLoadsAsItsRecord)
{
    for (const LayoutCase& c : LayoutCases()) {
        SCOPED_TRACE(std::string("layout ") + c.name);
        CPagerList list;
        // Twice, to see that the record ends where the next begins.
        PagerReadResult result = ReadPagerRecords(c.bytes + c.bytes, list);
        EXPECT_EQ(result.records, 2u);
        EXPECT_FALSE(result.damaged);
        ASSERT_EQ(list.size(), 2u);
        PagerRecord expected = TailRecord();
        c.expect(expected);
        EXPECT_EQ(list.at(0), expected);
        EXPECT_EQ(list.at(1), expected);
    }
}

// The fuzzer's seeds are meant to be valid files, one per layout: see that they are.
TEST(PagerFile, SeedCorpusHoldsOneValidFilePerLayout)
{
    const char* source = std::getenv("CORVANE_SOURCE_DIR");
    fs::path root = source ? fs::path(source) : fs::path(__FILE__).parent_path() / "../..";
    fs::path folder = root / "tests/fuzz/corpus/pager_file_fuzz";
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    std::set<int> layouts;
    for (const auto& entry : fs::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(entry.path().string(), bytes));
        CPagerList list;
        PagerReadResult result = ReadPagerRecords(bytes, list);
        EXPECT_FALSE(result.damaged);
        EXPECT_EQ(result.records, 2u);
        int first = static_cast<unsigned char>(bytes[0]) | static_cast<unsigned char>(bytes[1]) << 8;
        layouts.insert(first >= 1 && first <= 14 ? first : 0);
    }
    EXPECT_EQ(layouts.size(), 15u);
}

TEST(PagerFile, FirstWord20IsTheLengthOfAnOldestLayoutName)
{
    std::string name = "Twenty byte name...";  // 19 bytes and the zero: a length word of 20
    ASSERT_EQ(S(name).substr(0, 2), W(20));
    CPagerList list;
    ReadPagerRecords(S(name) + Tail(), list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.at(0).UserName, name);
    EXPECT_TRUE(list.at(0).Groups.empty());
    EXPECT_EQ(list.at(0).Code, 7);
}

TEST(PagerFile, DamageDropsTheRecordAndEverythingAfterIt)
{
    const std::string good = W(14) + W(2) + S("1200") + S("4") + S("Metro") + S("-") + S("pw") + S("Room 4") +
                             W(120) + W(12) + W(1) + S("Bob") + S("Sales") + W(0) + Tail(1);
    const std::string after = S("Ann") + Tail(3);
    const std::string badTail = S("30") + S("5");  // followed by a bad PagerID
    struct Case {
        const char* name;
        std::string damaged;
        bool atEnd = false;  // cut short: nothing may follow
    };
    const std::vector<Case> cases = {
        {"string longer than 1000", S("Bob") + badTail + W(1001) + std::string(1001, 'x') + S("") + Tail()},
        {"string length 0", S("Bob") + badTail + W(0) + S("") + Tail()},
        {"string length -5", S("Bob") + badTail + W(-5) + S("") + Tail()},
        {"oldest name of length 1001", W(1001) + std::string(1001, 'n') + Tail()},
        {"oldest name of length -2", W(-2) + Tail()},
        {"group longer than 1000", W(9) + S("pw") + S("") + W(80) + W(0) + W(0) + S("Bob") + W(1200) +
                                       std::string(1200, 'g') + W(0) + Tail()},
        {"string past the end", S("Bob") + badTail + W(40) + "short", true},
        {"no code", S("Bob") + Tail().substr(0, Tail().size() - 2), true},
        {"half a code", S("Bob") + Tail().substr(0, Tail().size() - 1), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPagerList list;
        PagerReadResult result = ReadPagerRecords(good + c.damaged + (c.atEnd ? "" : after), list);
        EXPECT_TRUE(result.damaged);
        EXPECT_EQ(result.records, 1u);
        EXPECT_EQ(Codes(list), std::vector<std::int16_t>{1});
        EXPECT_EQ(list.at(0).UserName, "Bob");
    }
}

TEST(PagerFile, ARecordCutAnywhereIsDroppedAndTheOnesBeforeItKept)
{
    CDataWriter first;
    WritePagerRecord(first, FullRecord());
    CDataWriter second;
    PagerRecord other = FullRecord();
    other.Code = 9;
    WritePagerRecord(second, other);
    for (std::size_t cut = 0; cut < second.bytes().size(); ++cut) {
        CPagerList list;
        PagerReadResult result = ReadPagerRecords(first.bytes() + second.bytes().substr(0, cut), list);
        EXPECT_EQ(list.size(), 1u) << "cut at " << cut;
        EXPECT_EQ(result.records, 1u);
        // A single stray byte is too short to start a record; anything longer is damage.
        EXPECT_EQ(result.damaged, cut >= 2) << "cut at " << cut;
    }
}

TEST(PagerFile, LongestStringsAreKeptAndLongerOnesCutSoTheFileStaysReadable)
{
    CPagerList list;
    ReadPagerRecords(S(std::string(999, 'n')) + Tail(), list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.at(0).UserName.size(), 999u);

    CPagerList big;
    PagerRecord& r = big.AddBlank();
    r.Code = 1;
    r.CustomMessage = std::string(1500, 'm');
    big.AddBlank().Code = 2;
    CPagerList back;
    ReadPagerRecords(WritePagerRecords(big), back);
    EXPECT_EQ(Codes(back), (std::vector<std::int16_t>{1, 2}));
    EXPECT_EQ(back.at(0).CustomMessage, std::string(999, 'm'));
}

// A message box that mends the cause of the first failure and answers Retry; then Cancel.
class CMendingMessageBox : public IMessageBox {
public:
    MbAnswer Show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons) override
    {
        shown.push_back({text, caption, icon, buttons});
        if (!mend) return MbAnswer::Cancel;
        auto fix = std::move(mend);
        mend = nullptr;
        fix();
        return MbAnswer::Retry;
    }
    std::function<void()> mend;
    std::vector<test::ShownBox> shown;
};

class PagerFileOnDisk : public ::testing::Test {
protected:
    test::CTempDir m_data;
    test::CTempDir m_shared;
    CMemorySettings m_settings;
    CMendingMessageBox m_box;
    DataFiles m_files{m_data.path(), m_settings, m_box};

    static std::string Pagers(std::initializer_list<std::pair<int, const char*>> pagers)
    {
        CDataWriter out;
        for (auto [code, name] : pagers) {
            PagerRecord r;
            r.Code = static_cast<std::int16_t>(code);
            r.UserName = name;
            r.Groups = {std::string(name) + "s"};
            WritePagerRecord(out, r);
        }
        return out.bytes();
    }
    static int LockFile(const std::string& path, int how)
    {
        int fd = ::open(path.c_str(), O_RDONLY);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::flock(fd, how | LOCK_NB), 0);
        return fd;
    }
    std::vector<std::string> DataDirNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_data.path())) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(PagerFileOnDisk, ReloadReadsLocalThenSharedPagersAndTheirGroups)
{
    m_data.Write("PAGERS.DAT", Pagers({{1, "Ann"}, {2, "Bob"}}));
    // A shared record stored in layout 8 with automatic flags and the page counter on.
    std::string shared = W(8) + S("") + S("") + W(80) + W(5) + W(1) + W(2) + S("Cy") + S("Bobs") + S("Desk") +
                         W(0) + Tail(12) + Pagers({{13, "Di"}});
    m_shared.Write("PAGERS.DAT", shared);
    m_settings.Write(key::PagerFilePath, m_shared.path());
    CPagerList list;
    list.SetNextCodeHint(9);
    list.Reload(m_files);
    EXPECT_TRUE(m_box.shown.empty());
    EXPECT_EQ(Codes(list), (std::vector<std::int16_t>{1, 2, -12, -13}));
    EXPECT_EQ(list.at(2).UserName, "Cy");
    EXPECT_EQ(list.at(2).AutoPageFlags, 0);
    EXPECT_EQ(list.at(2).SendPageCounter, 0);
    EXPECT_EQ(list.at(2).PageCounter, 5);
    EXPECT_EQ(list.GroupNames(), (std::vector<std::string>{"Anns", "Bobs", "Desk", "Dis"}));
    EXPECT_EQ(list.NextCodeHint(), 1);

    // MONITOR.DAT assigns shared pagers by their negative code.
    m_data.Write("MONITOR.DAT", W(1) + W(-12) + W(4) + W(1) + W(2) + W(1));
    list.Reload(m_files);
    EXPECT_EQ(list.FindByCode(-12)->AutoPageFlags, 4);
    EXPECT_EQ(list.FindByCode(2)->AutoPageFlags, 1);
    EXPECT_EQ(list.FindByCode(-13)->AutoPageFlags, 0);
}

TEST_F(PagerFileOnDisk, SharedRecordsWithoutAPositiveCodeAreLeftOut)
{
    // Negated, they would read as local pagers or as the scratch record.
    m_shared.Write("PAGERS.DAT", Pagers({{-4, "Neg"}, {0, "Zero"}, {6, "Six"}}));
    m_settings.Write(key::PagerFilePath, m_shared.path());
    CPagerList list;
    list.Reload(m_files);
    EXPECT_EQ(Codes(list), std::vector<std::int16_t>{-6});
}

TEST_F(PagerFileOnDisk, NoSharedPagersWithoutAPathOrFromTheUnbuiltOdbcSource)
{
    m_data.Write("PAGERS.DAT", Pagers({{1, "Ann"}}));
    m_shared.Write("PAGERS.DAT", Pagers({{5, "Eve"}}));
    CPagerList list;
    list.Reload(m_files);  // a fresh installation: SharedType "0", no PagerFilePath
    EXPECT_EQ(Codes(list), std::vector<std::int16_t>{1});
    m_settings.Write(key::PagerFilePath, m_shared.path());
    m_settings.Write(key::SharedType, "1");
    list.Reload(m_files);
    EXPECT_EQ(Codes(list), std::vector<std::int16_t>{1});
    EXPECT_TRUE(m_box.shown.empty());
}

TEST_F(PagerFileOnDisk, MissingOrDamagedLocalFilesLoadWhatTheyCanWithoutAMessage)
{
    CPagerList list;
    list.LoadLocal(m_files);
    EXPECT_TRUE(list.empty());
    m_data.Write("PAGERS.DAT", Pagers({{1, "Ann"}, {2, "Bob"}}) + W(14) + W(3) + W(2000));
    list.LoadLocal(m_files);
    EXPECT_EQ(Codes(list), (std::vector<std::int16_t>{1, 2}));
    EXPECT_TRUE(m_box.shown.empty());
}

TEST_F(PagerFileOnDisk, LocalFileBeingReplacedByAnotherCopyIsStillRead)
{
    m_data.Write("PAGERS.DAT", Pagers({{1, "Ann"}}));
    int writer = LockFile(m_data.File("PAGERS.DAT"), LOCK_EX);
    CPagerList list;
    list.LoadLocal(m_files);
    ::close(writer);
    EXPECT_EQ(Codes(list), std::vector<std::int16_t>{1});
}

TEST_F(PagerFileOnDisk, SharedFileFailuresAskRetryOrCancel)
{
    const std::string good = Pagers({{5, "Eve"}});
    struct Case {
        const char* name;
        std::string folder;                 // PagerFilePath
        std::function<void()> breakIt;      // before the load
        std::function<void()> mendIt;       // in the message box, before Retry
        std::string text;
        std::string caption;
    };
    std::string missing = m_shared.File("missing/");
    int lockFd = -1;
    std::vector<Case> cases = {
        {"not found", m_shared.path(), [] {}, [&] { m_shared.Write("PAGERS.DAT", good); },
         "Unable to locate the shared pager data file " + m_shared.File("PAGERS.DAT") +
             " on that path.  Please correct the pathname to the file on the Pager Data tab in Preferences.",
         "Pager Read Error"},
        {"bad path", missing, [] {},
         [&] {
             fs::create_directory(missing);
             m_shared.Write("missing/PAGERS.DAT", good);
         },
         "Unable to locate the shared pager data file " + missing +
             "PAGERS.DAT.  That is not a valid path.  Please correct the pathname to the file on the Pager "
             "Data tab in Preferences.",
         "Pager Read Error"},
        {"sharing", m_shared.path(),
         [&] {
             m_shared.Write("PAGERS.DAT", good);
             lockFd = LockFile(m_shared.File("PAGERS.DAT"), LOCK_EX);
         },
         [&] { ::close(lockFd); },
         "Unable to access the shared pager data file " + m_shared.File("PAGERS.DAT") +
             ".  Another process is currently writing to the file.",
         "Sharing Violation"},
        {"other", m_shared.path(), [&] { fs::create_directory(m_shared.File("PAGERS.DAT")); },
         [&] {
             fs::remove(m_shared.File("PAGERS.DAT"));
             m_shared.Write("PAGERS.DAT", good);
         },
         "Unspecified error reading the shared pager data file " + m_shared.File("PAGERS.DAT") + ".",
         "Pager Read Error"},
    };
    m_data.Write("PAGERS.DAT", Pagers({{1, "Ann"}}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(m_shared.File("PAGERS.DAT"));
        fs::remove_all(missing);
        m_settings.Write(key::PagerFilePath, c.folder);
        c.breakIt();

        // Cancel: the local pagers stay.
        CPagerList cancelled;
        cancelled.Reload(m_files);
        ASSERT_EQ(m_box.shown.size(), 1u);
        EXPECT_EQ(m_box.shown[0].text, c.text);
        EXPECT_EQ(m_box.shown[0].caption, c.caption);
        EXPECT_EQ(m_box.shown[0].icon, MbIcon::Warning);
        EXPECT_EQ(m_box.shown[0].buttons, MbButtons::RetryCancel);
        EXPECT_EQ(Codes(cancelled), std::vector<std::int16_t>{1});

        // Retry after the cause is mended: the file is read.
        m_box.shown.clear();
        m_box.mend = c.mendIt;
        CPagerList retried;
        retried.Reload(m_files);
        EXPECT_EQ(m_box.shown.size(), 1u);
        EXPECT_EQ(Codes(retried), (std::vector<std::int16_t>{1, -5}));
        m_box.shown.clear();
    }
}

TEST_F(PagerFileOnDisk, SaveWritesLocalPagersOnlyAndTheAssignmentsOfAll)
{
    CPagerList list;
    for (auto [code, flags] : std::vector<std::pair<int, int>>{{1, 1}, {-5, 4}, {0, 2}, {2, 0}, {-6, 0}}) {
        PagerRecord& r = list.AddBlank();
        r.Code = static_cast<std::int16_t>(code);
        r.AutoPageFlags = static_cast<std::uint16_t>(flags);
        r.UserName = "P" + std::to_string(code);
    }
    EXPECT_TRUE(list.Save(m_files));
    EXPECT_TRUE(m_box.shown.empty());
    CPagerList back;
    ReadPagerRecords(m_data.Read("PAGERS.DAT"), back);
    EXPECT_EQ(Codes(back), (std::vector<std::int16_t>{1, 2}));
    EXPECT_EQ(back.at(0).UserName, "P1");
    EXPECT_EQ(m_data.Read("MONITOR.DAT"), W(1) + W(1) + W(1) + W(1) + W(-5) + W(4));
    EXPECT_EQ(DataDirNames(), (std::vector<std::string>{"MONITOR.DAT", "PAGERS.DAT"}));

    CPagerList reloaded;
    reloaded.LoadLocal(m_files);
    EXPECT_EQ(reloaded.FindByCode(1)->AutoPageFlags, 1);
}

TEST_F(PagerFileOnDisk, LocalFileInUseAsksRetryAndCancelKeepsTheOldFile)
{
    m_data.Write("PAGERS.DAT", Pagers({{1, "Old"}}));
    CPagerList list;
    list.LoadLocal(m_files);
    list.NewPager()->UserName = "New";
    list.at(0).AutoPageFlags = 2;

    // A reader in another copy holds the file: Cancel leaves it, MONITOR.DAT is still written.
    int reader = LockFile(m_data.File("PAGERS.DAT"), LOCK_SH);
    EXPECT_FALSE(list.Save(m_files));
    ASSERT_EQ(m_box.shown.size(), 1u);
    EXPECT_EQ(m_box.shown[0].text,
              "Unable to write the local pager data file.  Another process is currently using the file.");
    EXPECT_EQ(m_box.shown[0].caption, "Sharing Violation");
    EXPECT_EQ(m_box.shown[0].buttons, MbButtons::RetryCancel);
    EXPECT_EQ(m_data.Read("PAGERS.DAT"), Pagers({{1, "Old"}}));
    EXPECT_EQ(m_data.Read("MONITOR.DAT"), W(1) + W(1) + W(2));

    // Retry once the reader is done.
    m_box.shown.clear();
    m_box.mend = [&] { ::close(reader); };
    EXPECT_TRUE(list.Save(m_files));
    EXPECT_EQ(m_box.shown.size(), 1u);
    CPagerList back;
    back.LoadLocal(m_files);
    EXPECT_EQ(Codes(back), (std::vector<std::int16_t>{1, 2}));
}

TEST_F(PagerFileOnDisk, AWriteThatFailsHalfwayLeavesTheOldFileWhole)
{
    CPagerList list;
    for (int i = 0; i < 40; ++i) list.NewPager()->UserName = "Pager " + std::to_string(i);
    ASSERT_TRUE(list.Save(m_files));
    const std::string before = m_data.Read("PAGERS.DAT");
    ASSERT_GT(before.size(), 3000u);
    list.at(0).UserName = "Renamed";
    list.at(0).AutoPageFlags = 1;

    // A file size limit stops the new file part way, as a full disk would, root or not.
    rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 2048;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool saved = list.Save(m_files);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    ASSERT_EQ(m_box.shown.size(), 1u);
    EXPECT_EQ(m_box.shown[0].text, "Unspecified error writing the local pager data file.");
    EXPECT_EQ(m_box.shown[0].caption, "Pager Write Error");
    EXPECT_EQ(m_data.Read("PAGERS.DAT"), before);
    EXPECT_EQ(m_data.Read("MONITOR.DAT"), W(1) + W(1) + W(1));
    EXPECT_EQ(DataDirNames(), (std::vector<std::string>{"MONITOR.DAT", "PAGERS.DAT"}));  // no temporary left
}

}  // namespace
}  // namespace corvane
