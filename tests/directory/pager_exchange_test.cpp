// Export Pager Data and Import Pager Data: the comma-delimited and tab-aligned files to the
// byte, the paging server's directory export, and the files that import nothing.

#include <gtest/gtest.h>

#include "directory/pager_export.h"
#include "directory/pager_file.h"
#include "directory/pager_import.h"
#include "directory/pin_scramble.h"
#include "settings/memory_settings.h"
#include "tests/directory/directory_helpers.h"
#include "tests/directory/pager_print.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

using test::Codes;
using test::CodesOf;

class PagerExchange : public ::testing::Test {
protected:
    test::CTempDir m_data;
    CMemorySettings m_settings;
    test::CRecordingMessageBox m_box;
    DataFiles m_files{m_data.path(), m_settings, m_box};
    CPagerList m_list;  // the main window's list

    // Imports the text as a file into the main list; the box's "caption: text".
    std::string Import(const std::string& text)
    {
        m_data.Write("import.cdf", text);
        m_box.shown.clear();
        ImportPagers(m_data.File("import.cdf"), m_list, m_files);
        return m_box.shown.empty() ? "no box" : m_box.shown.back().caption + ": " + m_box.shown.back().text;
    }
    // The pager as a new one with these export fields.
    static PagerRecord Pager(int code, const std::vector<std::string>& fields)
    {
        PagerRecord p;
        p.Code = static_cast<std::int16_t>(code);
        std::string* targets[] = {&p.PagerType, &p.UserName,  &p.PhoneNumber,       &p.VoiceOne,
                                  &p.VoiceTwo,  &p.CustomData, &p.PagerID,          &p.DelayTime,
                                  &p.WaitForConnection,       &p.SystemPassword,    &p.Separator};
        for (std::size_t i = 0; i < fields.size() && i < std::size(targets); ++i) *targets[i] = fields[i];
        return p;
    }
};

const std::string kImported = "Import Pager Data: The data was successfully imported.";

TEST_F(PagerExchange, BobExportsToTheByteAndImportsBackAsANewPager)
{
    PagerRecord& bob = *m_list.NewPager();
    bob.UserName = "Bob";
    bob.PagerType = "1";
    bob.Groups = {"Sales"};
    bob.ServiceName = "Metro";
    ASSERT_TRUE(ExportPagers(m_data.File("bob.cdf"), ExportFormat::CommaDelimited, m_list, m_box));
    EXPECT_EQ(m_data.Read("bob.cdf"), "\"1\",\"Bob\",\"\",\"\",\"\",\"\",\"\",\"8\",\"60\",\"\",\"*\",\"80\"\r\n");
    ASSERT_TRUE(ExportPagers(m_data.File("bob.txt"), ExportFormat::Text, m_list, m_box));
    const std::string tabs3 = "\t\t\t";
    EXPECT_EQ(m_data.Read("bob.txt"), "1" + tabs3 + "Bob\t" + tabs3 + tabs3 + tabs3 + tabs3 + tabs3 + tabs3 + "8" +
                                          tabs3 + "60" + tabs3 + tabs3 + "*" + tabs3 + "80\r\n");
    ASSERT_EQ(m_box.shown.size(), 2u);
    EXPECT_EQ(m_box.shown[1].text, "The data was successfully exported.");
    EXPECT_EQ(m_box.shown[1].caption, "Export Pager Data");
    EXPECT_EQ(m_box.shown[1].icon, MbIcon::Information);

    // Into another installation: a new local pager; groups, service and the rest are the defaults.
    CPagerList other;
    other.NewPager()->UserName = "Already here";
    m_data.Write("PAGERS.DAT", WritePagerRecords(other));
    m_list.Reload(m_files);
    EXPECT_EQ(Import(m_data.Read("bob.cdf")), kImported);
    EXPECT_EQ(m_box.shown.back().icon, MbIcon::Information);
    CPagerList saved;
    saved.LoadLocal(m_files);
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(test::Describe(saved.at(1)), test::Describe(Pager(2, {"1", "Bob", "", "", "", "", "", "8", "60", "", "*"})));
}

TEST_F(PagerExchange, TheTextColumnsLineUpOnTabStopsOfEight)
{
    struct Case {
        std::string name;
        std::size_t tabs;
    } cases[] = {{"Bob", 4}, {"Ten chars!", 3}, {std::string(31, 'n'), 1}, {std::string(32, 'n'), 0},
                 {std::string(40, 'n'), 0}, {"Zo\xC3\xAB \xE2\x82\xAC", 4}};
    for (const Case& c : cases) {
        PagerRecord p;
        p.UserName = c.name;
        p.PagerType = std::string(23, 't');  // a 24-character column: one tab left
        p.PhoneNumber = std::string(24, 'p');  // fills its column: no tab
        p.VoiceOne = std::string(16, 'v');
        std::string line = TextLine(p);
        EXPECT_EQ(line.substr(0, 24 + c.name.size() + c.tabs + 24 + 16 + 1),
                  std::string(23, 't') + "\t" + c.name + std::string(c.tabs, '\t') + std::string(24, 'p') +
                      std::string(16, 'v') + "\t")
            << c.name;
    }
}

TEST_F(PagerExchange, QuotedFieldsAndTheEmptyLineThatEndsTheFile)
{
    EXPECT_EQ(Import("\"1\",\"Lee, Ann\",\"ab\"c,plain,\"say \"\"hi\"\"\",,\"77\"x,\"3\",\"45\",pw,#,120,extra,fields\r\n"
                     "0,Short line\n"
                     "\r\n"
                     "\"1\",\"Never read\"\r\n"),
              kImported);
    PagerRecord lee = Pager(1, {"1", "Lee, Ann", "abc", "plain", "say \"hi\"", "", "77x", "3", "45", "pw", "#"});
    lee.MaximumPageLength = 120;
    ASSERT_EQ(m_list.size(), 2u);
    EXPECT_EQ(test::Describe(m_list.at(0)), test::Describe(lee));
    EXPECT_EQ(test::Describe(m_list.at(1)), test::Describe(Pager(2, {"0", "Short line"})));

    // Whatever a value holds comes back as it was.
    CPagerList odd;
    PagerRecord& p = *odd.NewPager();
    p.UserName = "Bob \"the pager\", Jr.";
    p.PhoneNumber = "\"";
    p.PagerID = "\"\"";
    p.CustomData = ",";
    p.MaximumPageLength = 32767;
    m_list.Clear();
    EXPECT_EQ(Import(ExportText(odd, ExportFormat::CommaDelimited)), kImported);
    EXPECT_EQ(test::Describe(m_list.at(0)), test::Describe(p));
}

// One line per kind of pager specification, and the dialling prefixes the paging server
// keeps in front of a number.
TEST_F(PagerExchange, TheDirectoryExportOfThePagingServer)
{
    const std::string pin = ScramblePin("1234567");
    struct Case {
        std::string line;
        PagerRecord expected;
    };
    auto pager = [](const std::string& name, const std::string& type) {
        PagerRecord p;
        p.UserName = name;
        p.PagerType = type;
        return p;
    };
    Case cases[] = {
        {"Remote,1,2,Ann,4,5,6,7,\"12345A/5551212/" + pin + "/2400,E71/pw/120/x/5/z\",10,g=Sales%g=North", pager("Ann", "1")},
        {"Remote,1,2,\"Lee, Ann\",4,5,6,7,12345T/5551213/77/1200/secret/60", pager("Lee, Ann", "1")},
        {"Remote,1,2,Nat,4,5,6,7,12345N/1234567/P123/3/2/#,10,Field", pager("Nat", "0")},
        {"Remote,1,2,Tap,4,5,6,7,12345A/TAP:5551214:9600:tpw:3;x/88/", pager("Tap", "1")},
        {"Remote,1,2,Tone,4,5,6,7,12345N/DTMF:5551215:4:1:##/99/3/2/*", pager("Tone", "0")},
        {"Remote,1,2,Net,4,5,6,7,12345A/SNPP:pager.example:444;y/66/", pager("Net", "1")},
        {"Remote,1,2,Odd,4,5,6,7,12345X/5551216/55", pager("Odd", "0")},
        {"Remote,1,2,Few", pager("Few", "0")},
    };
    PagerRecord* p = &cases[0].expected;
    p->PhoneNumber = "5551212", p->PagerID = "1234567", p->BaudRate = "2400", p->SystemPassword = "pw";
    p->MaximumPageLength = 120, p->PagesPerCall = 5, p->Groups = {"Sales", "North"};
    p = &cases[1].expected;  // the list stops where a separator is missing after a field that does not take the rest
    p->PhoneNumber = "5551213", p->PagerID = "77", p->BaudRate = "1200", p->SystemPassword = "secret";
    p->MaximumPageLength = 60;
    p = &cases[2].expected;  // the example of a numeric pager
    p->PhoneNumber = "1234567", p->PagerID = UnscramblePin("P123"), p->DelayTime = "3", p->PinDelayTime = "2";
    p->Separator = "#", p->Groups = {"Field"};
    p = &cases[3].expected;
    p->PhoneNumber = "5551214", p->PagerID = "88", p->BaudRate = "9600", p->SystemPassword = "tpw", p->PagesPerCall = 3;
    p = &cases[4].expected;
    p->PhoneNumber = "5551215", p->PagerID = "99", p->DelayTime = "4", p->PinDelayTime = "1", p->Separator = "##";
    p = &cases[5].expected;
    p->PhoneNumber = "SNPP:pager.example:444", p->PagerID = "66", p->BaudRate = "300";

    std::string file = "Obj-Class,Name,Type\r\nUser,Somebody,1\r\nRemote\r\n";
    for (const Case& c : cases) file += c.line + "\r\n";
    file += "\r\nRemote,1,2,Never read\r\n";
    EXPECT_EQ(Import(file), kImported);
    ASSERT_EQ(m_list.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        cases[i].expected.Code = static_cast<std::int16_t>(i + 1);
        EXPECT_EQ(test::Describe(m_list.at(i)), test::Describe(cases[i].expected)) << cases[i].line;
    }
    EXPECT_EQ(UnscramblePin("P123"), "306");
    EXPECT_EQ(UnscramblePin(ScramblePin("98765432109-8")), "98765432109-8");
    EXPECT_EQ(UnscramblePin("123"), "123");
}

// Files that are not pager data import nothing, say why, and leave the directory as it was.
TEST_F(PagerExchange, FilesThatImportNothing)
{
    m_list.NewPager()->UserName = "Kept";
    ASSERT_TRUE(m_list.Save(m_files));
    const std::string before = m_data.Read("PAGERS.DAT");
    const std::string good = "\"1\",\"Fine\",\"555\"\r\n";
    std::string header("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    struct Case {
        std::string file;
        std::string box;
    } cases[] = {
        {good + header, "The import file is not a text file.  No pagers were imported."},
        {good + good + std::string(10 << 20, 'x') + "\r\n",
         "Line 3 of the import file is longer than 65535 characters.  No pagers were imported."},
        {good + "\"1\",\"Open quote,555\r\n" + good,
         "Line 2 of the import file has a quoted field without its closing quote.  No pagers were imported."},
        {"", "The import file holds no pager data.  No pagers were imported."},
        {"\r\n" + good, "The import file holds no pager data.  No pagers were imported."},
        {"Obj-Class,Name\r\nUser,Nobody\r\n", "The import file holds no pager data.  No pagers were imported."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Import(c.file), "Import Pager Data: " + c.box);
        EXPECT_EQ(m_box.shown.back().icon, MbIcon::Warning);
        EXPECT_EQ(CodesOf(m_list), Codes{1});
        EXPECT_EQ(m_data.Read("PAGERS.DAT"), before);
    }
    m_box.shown.clear();
    for (const std::string& path : {m_data.File("missing.cdf"), m_data.path()}) {
        EXPECT_FALSE(ImportPagers(path, m_list, m_files));
        EXPECT_EQ(m_box.shown.back().text, "Unable to read the import file.");
    }
    EXPECT_FALSE(ExportPagers(m_data.File("no/such/folder.cdf"), ExportFormat::CommaDelimited, m_list, m_box));
    EXPECT_EQ(m_box.shown.back().text, "Unable to create the export file.");
    EXPECT_EQ(m_box.shown.back().caption, "Export Pager Data");

    // No more than the free local codes: all of the file or none of it.
    for (int code = 2; code <= 31999; ++code) m_list.AddBlank().Code = static_cast<std::int16_t>(code);
    EXPECT_EQ(Import(good + good), "Import Pager Data: The import file holds 2 pagers, but there is room for only 1 "
                                   "more local pagers.  No pagers were imported.");
    EXPECT_EQ(m_list.size(), 31999u);
}

// The largest directory there is, out and in again: every exported field survives.
TEST_F(PagerExchange, ThirtyTwoThousandPagersRoundTrip)
{
    CPagerList all;
    for (int i = 0; i < 32000; ++i) {
        PagerRecord& p = all.AddBlank();
        p.Code = static_cast<std::int16_t>(i + 1);
        p.UserName = "Pager \"" + std::to_string(i) + "\", desk";
        p.PagerType = i % 2 ? "1" : "0";
        p.PhoneNumber = "555-" + std::to_string(i);
        p.VoiceOne = std::to_string(i % 97);
        p.CustomData = "Floor " + std::to_string(i % 9);
        p.PagerID = std::to_string(4000000 + i);
        p.DelayTime = std::to_string(i % 60);
        p.SystemPassword = i % 3 ? "" : "pw,\"x\"";
        p.MaximumPageLength = static_cast<std::int16_t>(1 + i % 500);
    }
    ASSERT_TRUE(ExportPagers(m_data.File("all.cdf"), ExportFormat::CommaDelimited, all, m_box));
    ASSERT_TRUE(ImportPagers(m_data.File("all.cdf"), m_list, m_files));
    EXPECT_EQ(m_box.shown.back().text, "The data was successfully imported.");
    CPagerList saved;
    saved.LoadLocal(m_files);
    ASSERT_EQ(saved.size(), 32000u);
    for (std::size_t i = 0; i < saved.size(); ++i)
        if (!(saved.at(i) == all.at(i))) FAIL() << test::Describe(saved.at(i)) << " for " << test::Describe(all.at(i));
}

}  // namespace
}  // namespace corvane
