// The printed page layout from measured heights: margins, the captions, rows per page,
// the half-inch rule, tall rows, and the two printouts' columns.

#include "app/core/print_layout.h"
#include "app/core/print_tables.h"

#include <gtest/gtest.h>

#include "directory/pager_list.h"
#include "settings/memory_settings.h"

namespace corvane::test {
namespace {

// 100 dots an inch, a letter page without unprintable borders; the line step is 15 dots.
PageGeometry Letter()
{
    PageGeometry page;
    page.dpi = 100;
    page.width = 850;
    page.height = 1100;
    page.titleHeight = 14;
    page.textHeight = 10;
    page.lineHeight = 12;
    return page;
}

// "page: row@y+height ..." per page, a tall row's part as row[first+count].
std::string Pages(const PageLayout& layout, bool rows = false)
{
    std::string out;
    for (const PrintPage& page : layout.pages) {
        out += std::to_string(page.number) + ":" + std::to_string(page.pieces.size());
        if (page.captionsY >= 0) out += " captions@" + std::to_string(page.captionsY);
        for (const RowPiece& p : page.pieces) {
            if (!rows && p.lineCount == 1) continue;
            out += " " + std::to_string(p.row) + "[" + std::to_string(p.firstLine) + "+" + std::to_string(p.lineCount) +
                   "]@" + std::to_string(p.y) + "+" + std::to_string(p.height);
        }
        out += "\n";
    }
    return out;
}

TEST(PrintLayoutTest, MarginsCaptionsAndRowsPerPage)
{
    PageLayout layout = LayOutPages(Letter(), RowStyle::LogEntry, std::vector<int>(200, 1));
    EXPECT_EQ(layout.left, 50);
    EXPECT_EQ(layout.right, 800);
    EXPECT_EQ(layout.top, 100);
    EXPECT_EQ(layout.bottom, 1000);
    EXPECT_EQ(layout.lineStep, 15);
    // Captions at top + title + half an inch; one-line rows 12 + 15/6 high; a page is
    // full once less than half an inch is left below a row.
    EXPECT_EQ(Pages(layout), "1:56 captions@164\n2:57\n3:57\n4:30\n");
    EXPECT_EQ(layout.pages[0].pieces[0].y, 179);
    EXPECT_EQ(layout.pages[1].pieces[0].y, 164);
    EXPECT_EQ(layout.pages[0].pieces[55].y, 179 + 55 * 14);

    // Nothing to print: the captions and page 1.
    EXPECT_EQ(Pages(LayOutPages(Letter(), RowStyle::LogEntry, {})), "1:0 captions@164\n");
    // Exactly full: no empty page after the last row.
    EXPECT_EQ(Pages(LayOutPages(Letter(), RowStyle::LogEntry, std::vector<int>(56, 1))), "1:56 captions@164\n");

    PageGeometry offsets = Letter();
    offsets.offsetLeft = 20;
    offsets.offsetRight = 70;
    offsets.offsetTop = 150;
    offsets.offsetBottom = 25;
    PageLayout shifted = LayOutPages(offsets, RowStyle::LogEntry, {});
    EXPECT_EQ(shifted.left, 30);
    EXPECT_EQ(shifted.right, 850);
    EXPECT_EQ(shifted.top, 0);
    EXPECT_EQ(shifted.bottom, 1025);
}

TEST(PrintLayoutTest, RowHeightsOfTheTwoPrintouts)
{
    PageLayout log = LayOutPages(Letter(), RowStyle::LogEntry, {1, 3, 0});
    PageLayout pagers = LayOutPages(Letter(), RowStyle::PagerList, {1, 2, 3});
    EXPECT_EQ(Pages(log, true), "1:3 captions@164 0[0+1]@179+14 1[0+3]@193+38 2[0+1]@231+14\n");
    EXPECT_EQ(Pages(pagers, true), "1:3 captions@164 0[0+1]@179+15 1[0+2]@194+30 2[0+3]@224+45\n");
}

TEST(PrintLayoutTest, ATallRowGoesToTheNextPageOrOverSeveralPages)
{
    // 55 one-line rows leave 51 dots: a 5-line row (62) starts the next page whole.
    std::vector<int> rows(55, 1);
    rows.push_back(5);
    PageLayout moved = LayOutPages(Letter(), RowStyle::LogEntry, rows);
    EXPECT_EQ(Pages(moved), "1:55 captions@164\n2:1 55[0+5]@164+62\n");

    // 200 lines: as many as fit on each page, the row's spacing with its last part.
    PageLayout split = LayOutPages(Letter(), RowStyle::LogEntry, {1, 200, 1});
    EXPECT_EQ(Pages(split), "1:1 captions@164\n2:1 1[0+69]@164+828\n3:1 1[69+69]@164+828\n4:2 1[138+62]@164+746\n");
    EXPECT_EQ(split.pages[3].pieces[1].y, 164 + 746);
}

TEST(PrintLayoutTest, TheColumnsOfThePageLogAndThePagerList)
{
    PrintTable log = PageLogTable({{"03/07/01 10:55AM Error 5 To John", "Call\nnow"}, {"03/07/01 1", ""}});
    EXPECT_EQ(log.title, "Corvane Page Log");
    ASSERT_EQ(log.rows.size(), 2u);
    EXPECT_EQ(log.rows[0], (std::vector<std::string>{"03/07/01", "10:55A", "Error 5 To John", "Call\nnow"}));
    EXPECT_EQ(log.rows[1], (std::vector<std::string>{"03/07/01", "1", "", ""}));
    PageLayout layout = LayOutPages(Letter(), RowStyle::LogEntry, {});
    std::string edges;
    for (const PrintColumn& c : log.columns)
        edges += c.caption + "@" + std::to_string(layout.ColumnX(c, 100)) + "+" +
                 std::to_string(layout.ColumnWidth(c, 100)) + (c.wrap ? "w " : " ");
    EXPECT_EQ(edges, "DATE@50+75 TIME@138+75 PAGER@225+150w MESSAGE@388+412w ");

    CMemorySettings settings;
    settings.Write(key::Voice2Label, "Cell");
    CPagerList pagers;
    PagerRecord& bob = *pagers.NewPager();
    bob.UserName = "Bob";
    bob.PhoneNumber = "5550100";
    bob.PagerID = "1002";
    bob.VoiceOne = "555-1";
    bob.CustomData = "desk";
    bob.Groups = {"Support", "Sales"};
    PrintTable list = PagerListTable(pagers, settings);
    EXPECT_EQ(list.title, "Corvane Pager List");
    std::string captions;
    for (const PrintColumn& c : list.columns)
        captions += c.caption + "@" + std::to_string(layout.ColumnX(c, 100)) + "+" +
                    std::to_string(layout.ColumnWidth(c, 100)) + (c.wrap ? "w " : " ");
    EXPECT_EQ(captions,
              "NAME@50+130w NUMBER@193+90w PIN@295+90w Work@398+90w Cell@500+90w Other@603+90w GROUPS@705+95w ");
    EXPECT_EQ(list.rows.at(0),
              (std::vector<std::string>{"Bob", "5550100", "1002", "555-1", "", "desk", "Support, Sales"}));
}

}  // namespace
}  // namespace corvane::test
