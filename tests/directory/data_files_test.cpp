// PAGERS.DAT, MONITOR.DAT and SERVICES.DAT on disk: the local files of the data
// directory, the shared copies in PagerFilePath, and Retry or Cancel when a file cannot be
// read or written. The pager and the service file share these rules and are run through
// the same cases.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <numeric>
#include <sys/resource.h>
#include <unistd.h>

#include "directory/data_file.h"
#include "directory/pager_file.h"
#include "directory/service_file.h"
#include "directory/service_list.h"
#include "settings/memory_settings.h"
#include "tests/directory/directory_helpers.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::LockFile;
using test::S;
using test::W;
using test::Codes;
using test::CodesOf;

// A message box that mends the cause of the failure and answers Retry once; then Cancel.
class CMendingMessageBox : public IMessageBox {
public:
    MbAnswer Show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons) override
    {
        shown.push_back({text, caption, icon, buttons});
        if (!mend) return MbAnswer::Cancel;
        std::exchange(mend, nullptr)();
        return MbAnswer::Retry;
    }
    std::function<void()> mend;
    std::vector<test::ShownBox> shown;
};

// What differs between the two files for the rules they share.
struct FileKind {
    const char* file;  // "PAGERS.DAT"
    std::string noun;  // "pager"
    std::string title;  // "Pager"
    std::function<std::string(const Codes&)> image;  // file bytes of records with these codes
    std::function<Codes(const DataFiles&, bool local)> load;  // LoadLocal, else Reload
    std::function<bool(const DataFiles&, const Codes&)> save;
    std::vector<std::string> written;  // the data directory after a save
};

template <class List, class Record>
FileKind Kind(const char* file, const char* noun, const char* title,
              void (*write)(CDataWriter&, const Record&), std::vector<std::string> written)
{
    return {file, noun, title,
            [=](const Codes& codes) {
                CDataWriter out;
                Record r;
                for (int code : codes) r.Code = static_cast<std::int16_t>(code), write(out, r);
                return out.bytes();
            },
            [](const DataFiles& files, bool local) {
                List list;
                if (local) {
                    list.LoadLocal(files);
                } else {
                    list.AddBlank().Code = 99;  // Reload replaces what the list held
                    list.Reload(files);
                }
                return CodesOf(list);
            },
            [](const DataFiles& files, const Codes& codes) {
                List list;
                for (int code : codes) list.AddBlank().Code = static_cast<std::int16_t>(code);
                return list.Save(files);
            },
            written};
}

std::vector<FileKind> Kinds()
{
    return {Kind<CPagerList, PagerRecord>("PAGERS.DAT", "pager", "Pager", WritePagerRecord,
                                          {"MONITOR.DAT", "PAGERS.DAT"}),
            Kind<CServiceList, ServiceRecord>("SERVICES.DAT", "service", "Service", WriteServiceRecord,
                                              {"SERVICES.DAT"})};
}

class DataFilesOnDisk : public ::testing::Test {
protected:
    test::CTempDir m_data;
    test::CTempDir m_shared;
    CMemorySettings m_settings;
    CMendingMessageBox m_box;
    DataFiles m_files{m_data.path(), m_settings, m_box};

    std::vector<std::string> DataDirNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_data.path())) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    void ExpectOneBox(const std::string& text, const std::string& caption)
    {
        ASSERT_EQ(m_box.shown.size(), 1u);
        EXPECT_EQ(m_box.shown[0].text, text);
        EXPECT_EQ(m_box.shown[0].caption, caption);
        EXPECT_EQ(m_box.shown[0].icon, MbIcon::Warning);
        EXPECT_EQ(m_box.shown[0].buttons, MbButtons::RetryCancel);
        m_box.shown.clear();
    }
};

TEST_F(DataFilesOnDisk, ReloadReadsTheLocalThenTheSharedRecordsNegated)
{
    for (const FileKind& k : Kinds()) {
        SCOPED_TRACE(k.file);
        m_settings.Write(key::PagerFilePath, "");
        EXPECT_EQ(k.load(m_files, false), Codes{});  // a fresh installation: no file, no path
        // A damaged end loses only the damaged record.
        m_data.Write(k.file, k.image({1, 2}) + W(4) + W(3) + W(2000));
        // A stored code below 1 cannot come from a local file: negated it would read as a
        // local record or the scratch record, so it is left out.
        m_shared.Write(k.file, k.image({12, -4, 0, 1}));
        std::string folder = m_shared.path();
        folder.pop_back();  // the folder may be given without its trailing slash
        m_settings.Write(key::PagerFilePath, folder);
        EXPECT_EQ(k.load(m_files, false), (Codes{1, 2, -12, -1}));
        // The damaged record is told once, at the first load that met it.
        ASSERT_EQ(m_box.shown.size(), 1u);
        EXPECT_EQ(m_box.shown[0].caption, k.title + " Read Error");
        m_box.shown.clear();
        // Any other shared type is the ODBC table (tests/directory/shared_odbc_test.cpp): with no
        // data source chosen it cannot be reached, and services are not shared that way.
        m_settings.Write(key::SharedType, "1");
        EXPECT_EQ(k.load(m_files, false), (Codes{1, 2}));
        EXPECT_EQ(m_box.shown.size(), k.noun == "pager" ? 1u : 0u);
        m_box.shown.clear();
        m_settings.Write(key::SharedType, "0");

        // Another copy that is replacing the local file holds its lock: still read, and the
        // damage is not told again.
        int writer = LockFile(m_data.File(k.file), LOCK_EX);
        EXPECT_EQ(k.load(m_files, true), (Codes{1, 2}));
        ::close(writer);
        EXPECT_TRUE(m_box.shown.empty());
    }
}

TEST_F(DataFilesOnDisk, SharedFileFailuresAskRetryOrCancel)
{
    const std::string missing = m_shared.File("missing/");
    int lockFd = -1;
    for (const FileKind& k : Kinds()) {
        const std::string shared = m_shared.File(k.file);
        const std::string good = k.image({5});
        const std::string locate = "Unable to locate the shared " + k.noun + " data file ";
        const std::string correct = "Please correct the pathname to the file on the " + k.title + " Data tab in Preferences.";
        struct Case {
            const char* name;
            std::string folder;              // PagerFilePath
            std::function<void()> breakIt;   // before the load
            std::function<void()> mendIt;    // in the message box, before Retry
            std::string text, caption;
        };
        const std::vector<Case> cases = {
            {"not found", m_shared.path(), [] {}, [&] { m_shared.Write(k.file, good); },
             locate + shared + " on that path.  " + correct, k.title + " Read Error"},
            {"bad path", missing, [] {},
             [&] {
                 fs::create_directory(missing);
                 m_shared.Write(std::string("missing/") + k.file, good);
             },
             locate + missing + k.file + ".  That is not a valid path.  " + correct, k.title + " Read Error"},
            {"being written", m_shared.path(),
             [&] {
                 m_shared.Write(k.file, good);
                 lockFd = LockFile(shared, LOCK_EX);
             },
             [&] { ::close(lockFd); },
             "Unable to access the shared " + k.noun + " data file " + shared +
                 ".  Another process is currently writing to the file.",
             "Sharing Violation"},
            {"other", m_shared.path(), [&] { fs::create_directory(shared); },
             [&] {
                 fs::remove(shared);
                 m_shared.Write(k.file, good);
             },
             "Unspecified error reading the shared " + k.noun + " data file " + shared + ".", k.title + " Read Error"},
        };
        m_data.Write(k.file, k.image({1}));
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(k.file) + ": " + c.name);
            fs::remove_all(shared);
            fs::remove_all(missing);
            m_settings.Write(key::PagerFilePath, c.folder);
            c.breakIt();
            EXPECT_EQ(k.load(m_files, false), Codes{1});  // Cancel: the local records stay
            ExpectOneBox(c.text, c.caption);
            m_box.mend = c.mendIt;
            EXPECT_EQ(k.load(m_files, false), (Codes{1, -5}));  // Retry once mended reads it
            ExpectOneBox(c.text, c.caption);
        }
    }
}

TEST_F(DataFilesOnDisk, SaveWritesOnlyLocalRecordsAndAskRetryWhileTheFileIsInUse)
{
    for (const FileKind& k : Kinds()) {
        SCOPED_TRACE(k.file);
        ASSERT_TRUE(k.save(m_files, {1, -5, 0, 2}));
        EXPECT_TRUE(m_box.shown.empty());
        EXPECT_EQ(m_data.Read(k.file), k.image({1, 2}));

        // A reader in another copy holds the file: Cancel leaves it as it was.
        int reader = LockFile(m_data.File(k.file), LOCK_SH);
        EXPECT_FALSE(k.save(m_files, {3}));
        ExpectOneBox("Unable to write the local " + k.noun + " data file.  Another process is currently using the file.",
                     "Sharing Violation");
        EXPECT_EQ(m_data.Read(k.file), k.image({1, 2}));
        m_box.mend = [&] { ::close(reader); };
        EXPECT_TRUE(k.save(m_files, {3}));
        EXPECT_EQ(m_box.shown.size(), 1u);
        m_box.shown.clear();
        EXPECT_EQ(k.load(m_files, true), Codes{3});
    }
    EXPECT_EQ(DataDirNames(), (std::vector<std::string>{"MONITOR.DAT", "PAGERS.DAT", "SERVICES.DAT"}));
}

TEST_F(DataFilesOnDisk, AWriteThatFailsHalfwayLeavesTheOldFileWhole)
{
    for (const FileKind& k : Kinds()) {
        SCOPED_TRACE(k.file);
        Codes many(60);
        std::iota(many.begin(), many.end(), 1);
        m_data.Write(k.file, k.image({1}));
        // A file size limit stops the new file part way, as a full disk would, root or not.
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = k.image(many).size() / 2;
        ::setrlimit(RLIMIT_FSIZE, &small);
        bool saved = k.save(m_files, many);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_FALSE(saved);
        ExpectOneBox("Unspecified error writing the local " + k.noun + " data file.", k.title + " Write Error");
        EXPECT_EQ(m_data.Read(k.file), k.image({1}));
        EXPECT_EQ(DataDirNames(), k.written);  // no temporary file left
        fs::remove(m_data.File(k.file));
        fs::remove(m_data.File("MONITOR.DAT"));
    }
}

TEST_F(DataFilesOnDisk, ADamagedLocalFileIsToldOnceAndKeptBesideTheFileTheSaveWrites)
{
    for (const FileKind& k : Kinds()) {
        SCOPED_TRACE(k.file);
        const std::string path = m_data.File(k.file);
        // A record whose first string claims 2000 bytes, between good ones.
        const std::string bad = k.image({9}).substr(0, 4) + W(2000) + std::string(2000, 'x');
        const std::string damaged = k.image({1, 2}) + bad + k.image({3, 4});
        m_data.Write(k.file, damaged);
        auto expectBox = [&](const std::string& record, const std::string& kept) {
            ASSERT_EQ(m_box.shown.size(), 1u);
            EXPECT_EQ(m_box.shown[0].text, "Record " + record + " of the local " + k.noun + " data file " + path +
                                               " is damaged.  Only the " + k.noun + "s before it were loaded.  " +
                                               kept);
            EXPECT_EQ(m_box.shown[0].caption, k.title + " Read Error");
            EXPECT_EQ(m_box.shown[0].icon, MbIcon::Warning);
            EXPECT_EQ(m_box.shown[0].buttons, MbButtons::Ok);
            m_box.shown.clear();
        };
        EXPECT_EQ(k.load(m_files, true), (Codes{1, 2}));
        expectBox("3", "The damaged file has been kept as " + path + ".damaged.");
        EXPECT_EQ(m_data.Read(std::string(k.file) + ".damaged"), damaged);
        EXPECT_EQ(k.load(m_files, false), (Codes{1, 2}));  // every later load: no box
        EXPECT_TRUE(m_box.shown.empty());

        ASSERT_TRUE(k.save(m_files, {1, 2}));
        EXPECT_EQ(m_data.Read(k.file), k.image({1, 2}));
        EXPECT_EQ(m_data.Read(std::string(k.file) + ".damaged"), damaged);

        // Damaged again, otherwise: a second copy, the first one left for the user.
        m_data.Write(k.file, k.image({5}) + bad);
        EXPECT_EQ(k.load(m_files, true), Codes{5});
        expectBox("2", "The damaged file has been kept as " + path + ".damaged.2.");
        EXPECT_EQ(m_data.Read(std::string(k.file) + ".damaged"), damaged);

        // No room for another copy: the user is told what a save would do, at every load.
        for (int n = 3; n <= 9; ++n) m_data.Write(std::string(k.file) + ".damaged." + std::to_string(n), "other");
        m_data.Write(k.file, bad);
        for (int load = 0; load < 2; ++load) {
            EXPECT_EQ(k.load(m_files, true), Codes{});
            expectBox("1", "A copy of the damaged file could not be kept: saving the " + std::string(k.noun) +
                               "s now removes that record and every record after it from the file.");
        }
    }
}

// MONITOR.DAT: six-byte records of an unused word, a pager code and its automatic flags.
std::string Monitor(int code, int flags, int first = 1) { return W(first) + W(code) + W(flags); }

// A send run counts pages on the list it read at its start; a dialog may have saved the
// pager file meanwhile, and its changes must outlive the counters.
TEST_F(DataFilesOnDisk, PageCountersGoIntoThePagerFileAsItStandsNow)
{
    CPagerList run;
    for (const char* name : {"Ann", "Bob", "Cy"}) {
        PagerRecord& pager = run.AddBlank();
        pager.Code = static_cast<std::int16_t>(run.size());
        pager.UserName = name;
        pager.SendPageCounter = 1;
        pager.PageCounter = 7;
    }
    ASSERT_TRUE(run.Save(m_files));
    // The dialog: Ann gets a group, Bob is deleted, Dee is added, Cy stops counting.
    CPagerList dialog;
    dialog.LoadLocal(m_files);
    dialog.FindByCode(1)->Groups = {"Desk"};
    dialog.Remove(*dialog.FindByCode(2));
    dialog.FindByCode(3)->SendPageCounter = 0;
    PagerRecord& dee = dialog.AddBlank();
    dee.Code = 4, dee.UserName = "Dee";
    ASSERT_TRUE(dialog.Save(m_files));

    for (int code : {1, 2, 3}) run.FindByCode(static_cast<std::int16_t>(code))->PageCounter = 8;
    ASSERT_TRUE(SavePageCounters(run, m_files));
    CPagerList stored;
    stored.LoadLocal(m_files);
    EXPECT_EQ(CodesOf(stored), (Codes{1, 3, 4}));
    EXPECT_EQ(stored.FindByCode(1)->Groups, std::vector<std::string>{"Desk"});
    EXPECT_EQ(stored.FindByCode(1)->PageCounter, 8);
    EXPECT_EQ(stored.FindByCode(3)->SendPageCounter, 0);
    EXPECT_EQ(stored.FindByCode(3)->PageCounter, 8);  // counted before the dialog's change
    EXPECT_EQ(stored.FindByCode(4)->UserName, "Dee");
    EXPECT_TRUE(m_box.shown.empty());
}

TEST_F(DataFilesOnDisk, PagerGroupsAndTheAutomaticFlagsOfLocalAndSharedPagers)
{
    std::string blanks;  // the nine strings from WaitForConnection to CustomMessage, empty
    for (int i = 0; i < 9; ++i) blanks += S("");
    PagerRecord ann, bob;
    ann.Code = 1, ann.UserName = "Ann", ann.Groups = {"Anns"};
    bob.Code = 2, bob.UserName = "Bob", bob.Groups = {"Bobs"};
    CDataWriter local;
    WritePagerRecord(local, ann);
    WritePagerRecord(local, bob);
    // A local record of layout 5 with a flag word, which stands unless MONITOR.DAT assigns it.
    m_data.Write("PAGERS.DAT", local.bytes() + W(5) + S("") + W(80) + W(0) + W(0) + W(1) + S("Cy") + S("Cys") +
                                   blanks + W(3));
    // Shared records of layout 8: their automatic flags and page counter switch are not ours.
    auto shared = [&](int code) {
        return W(8) + S("") + S("") + W(80) + W(5) + W(1) + W(2) + S("Di") + S("Bobs") + S("Desk") + W(0) + blanks +
               W(code);
    };
    m_shared.Write("PAGERS.DAT", shared(12) + shared(13));
    // Shared pagers by their negative code; unknown codes skipped, the first word not looked
    // at, a later record for a code wins, a record cut short ends the reading.
    m_data.Write("MONITOR.DAT", Monitor(-12, 4) + Monitor(2, 2) + Monitor(99, 7) + Monitor(-99, 7) +
                                    Monitor(2, 1, 0x7777) + Monitor(1, 7).substr(0, 5));
    m_settings.Write(key::PagerFilePath, m_shared.path());
    CPagerList list;
    list.SetNextCodeHint(9);
    list.Reload(m_files);
    EXPECT_TRUE(m_box.shown.empty());
    ASSERT_EQ(CodesOf(list), (Codes{1, 2, 3, -12, -13}));
    EXPECT_EQ(list.at(3).UserName, "Di");
    EXPECT_EQ(list.at(3).SendPageCounter, 0);
    EXPECT_EQ(list.at(3).PageCounter, 5);
    EXPECT_EQ(list.GroupNames(), (std::vector<std::string>{"Anns", "Bobs", "Cys", "Desk"}));
    EXPECT_EQ(list.NextCodeHint(), 1);
    const std::vector<int> flags{0, 1, 7, 4, 0};
    for (std::size_t i = 0; i < flags.size(); ++i) EXPECT_EQ(list.at(i).AutoPageFlags, flags[i]) << i;

    // Save writes the assignments of all but the scratch record, even when PAGERS.DAT itself
    // cannot be written.
    list.at(0).AutoPageFlags = 0xFFFF;
    PagerRecord& scratch = list.AddBlank();
    scratch.AutoPageFlags = 7;
    int reader = LockFile(m_data.File("PAGERS.DAT"), LOCK_SH);
    EXPECT_FALSE(list.Save(m_files));
    ::close(reader);
    // The assignment of a shared pager that is not in the list (-99) stays.
    EXPECT_EQ(m_data.Read("MONITOR.DAT"), std::string("\x01\x00\x01\x00\xFF\xFF", 6) + Monitor(2, 1) +
                                              Monitor(3, 7) + std::string("\x01\x00\xF4\xFF\x04\x00", 6) +
                                              Monitor(-99, 7));
}

}  // namespace
}  // namespace corvane
