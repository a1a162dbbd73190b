// The pager list form: columns, group rows, Find, the All/Group view, the sort order,
// the message choice and the column widths kept from one start to the next.

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

#include "app/gui/pager_list_form.h"
#include "app/gui/pager_table_model.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/gui_test_registry.h"

namespace corvane::test {

class PagerListFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CGuiHarness> h;

    CPagerListForm& Form() { return h->frame->Form(); }

    // Every row as "data|cell1|cell2|cell3".
    QStringList Rows()
    {
        QStringList rows;
        for (const ListRow& row : Form().Model().Rows())
            rows << QStringLiteral("%1|%2|%3|%4")
                        .arg(row.data)
                        .arg(QString::fromStdString(row.cells[0]), QString::fromStdString(row.cells[1]),
                             QString::fromStdString(row.cells[2]));
        return rows;
    }

    QStringList Headers()
    {
        QStringList headers;
        for (int c = 0; c < kListColumns; ++c) headers << Form().Model().headerData(c, Qt::Horizontal).toString();
        return headers;
    }

    // The first-column texts of the selected rows.
    QStringList Selected()
    {
        QStringList names;
        QModelIndexList rows = Form().List()->selectionModel()->selectedRows();
        std::sort(rows.begin(), rows.end());
        for (const QModelIndex& index : rows) names << index.data().toString();
        return names;
    }

    void Standard()
    {
        h->SavePagers({
            {"Walter", {"North", "Sales"}, "5550100", "Desk 9", "1001"},
            {"alice", {"Sales"}, "SNPP:host:444", "Desk 2", "1002"},
            {"Bob", {"North", ""}, "5550102", "Desk 1", "1003"},
            {"bobby", {}, "5550103", "Desk 3", "1004"},
        });
    }

private slots:
    void init() { h = std::make_unique<CGuiHarness>(); }
    void cleanup() { h.reset(); }

    void AllViewShowsGroupRowsThenPagersByNameWithTheDefaultColumns()
    {
        Standard();
        h->Start();
        // Defaults: Name, Pager Number, and the first voice label. The empty group name
        // is never shown.
        QCOMPARE(Headers(), QStringList({"Name", "Pager Number", "Work"}));
        QStringList rows = Rows();
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows[0], QStringLiteral("-32000|North||"));
        QCOMPARE(rows[1], QStringLiteral("-32000|Sales||"));
        // Byte order: upper case before lower case.
        QCOMPARE(rows[2], QStringLiteral("3|Bob|5550102|"));
        QCOMPARE(rows[3], QStringLiteral("1|Walter|5550100|"));
        QCOMPARE(rows[4], QStringLiteral("2|alice|SNPP:host:444|"));
        QCOMPARE(rows[5], QStringLiteral("4|bobby|5550103|"));
        QCOMPARE(Form().List()->model()->index(0, 0).data(Qt::UserRole).toInt(), kGroupRowData);
        QCOMPARE(Form().StatusField()->text(), QStringLiteral("Idle"));
    }

    void ColumnsFollowTheirSettingsAndLabels()
    {
        Standard();
        h->settings.Write(key::DisplayColumn1, "5");
        h->settings.Write(key::DisplayColumn2, "2");
        h->settings.Write(key::DisplayColumn3, "4");
        h->settings.Write(key::DataLabel, "Desk");
        h->settings.Write(key::Voice2Label, "Mobile");
        h->Start();
        QCOMPARE(Headers(), QStringList({"Desk", "Pager ID", "Mobile"}));
        QVERIFY(Rows().contains(QStringLiteral("1|Desk 9|1001|")));
        // A group row keeps its name in the first column whatever that column shows.
        QCOMPARE(Rows()[0], QStringLiteral("-32000|North||"));
        QCOMPARE(Form().DataSortButton()->text(), QStringLiteral("Desk"));

        // Values the preferences never write show the name.
        h->settings.Write(key::DisplayColumn1, "9");
        h->settings.Write(key::DisplayColumn2, "x");
        h->frame->RefreshPagerList();
        QCOMPARE(Headers(), QStringList({"Name", "Name", "Mobile"}));
    }

    void DataSortOrdersPagersByTheirDataField()
    {
        Standard();
        h->Start();
        QTest::mouseClick(Form().DataSortButton(), Qt::LeftButton);
        QCOMPARE(h->settings.Get(key::Sorting), std::string("1"));
        QStringList rows = Rows();
        QCOMPARE(rows.mid(2), QStringList({"3|Bob|5550102|", "2|alice|SNPP:host:444|", "4|bobby|5550103|",
                                           "1|Walter|5550100|"}));
        QTest::mouseClick(Form().NameSortButton(), Qt::LeftButton);
        QCOMPARE(h->settings.Get(key::Sorting), std::string("0"));
        QCOMPARE(Rows()[2], QStringLiteral("3|Bob|5550102|"));
    }

    void FindSelectsTheFirstRowStartingWithTheTextCaseIgnored()
    {
        Standard();
        h->Start();
        Form().List()->selectAll();
        QTest::keyClicks(Form().FindBox(), "BO");
        QCOMPARE(Selected(), QStringList({"Bob"}));
        QTest::keyClicks(Form().FindBox(), "bb");
        QCOMPARE(Selected(), QStringList({"bobby"}));
        // Group rows are found by their names too.
        Form().FindBox()->clear();
        QTest::keyClicks(Form().FindBox(), "sa");
        QCOMPARE(Selected(), QStringList({"Sales"}));
        // No match, and an emptied box: the selection stays.
        QTest::keyClicks(Form().FindBox(), "x");
        QCOMPARE(Selected(), QStringList({"Sales"}));
        Form().FindBox()->clear();
        QCOMPARE(Selected(), QStringList({"Sales"}));
    }

    void FindScrollsTheFoundRowIntoView()
    {
        std::vector<PagerSpec> many;
        for (int i = 0; i < 500; ++i) many.push_back({QStringLiteral("P%1").arg(i, 3, 10, QChar('0')).toStdString()});
        h->SavePagers(many);
        h->Start();
        QTest::keyClicks(Form().FindBox(), "p450");
        QCOMPARE(Selected(), QStringList({"P450"}));
        QRect shown = Form().List()->visualRect(Form().List()->selectionModel()->selectedRows().first());
        QVERIFY(Form().List()->viewport()->rect().intersects(shown));
    }

    void GroupViewShowsTheMembersOfTheChosenGroup()
    {
        Standard();
        h->Start();
        QVERIFY(!Form().GroupBox()->isEnabled());
        QTest::mouseClick(Form().GroupButton(), Qt::LeftButton);
        QCOMPARE(h->settings.Get(key::ViewMode), std::string("1"));
        QVERIFY(Form().GroupBox()->isEnabled());
        // No stored group: the first one. The empty name is not offered.
        QCOMPARE(Form().GroupBox()->count(), 2);
        QCOMPARE(Form().GroupBox()->currentText(), QStringLiteral("North"));
        QCOMPARE(Rows(), QStringList({"3|Bob|5550102|", "1|Walter|5550100|"}));

        Form().GroupBox()->setCurrentIndex(1);
        emit Form().GroupBox()->activated(1);
        QCOMPARE(h->settings.Get(key::Group), std::string("Sales"));
        QCOMPARE(Rows(), QStringList({"1|Walter|5550100|", "2|alice|SNPP:host:444|"}));

        QTest::mouseClick(Form().AllButton(), Qt::LeftButton);
        QCOMPARE(h->settings.Get(key::ViewMode), std::string("0"));
        QVERIFY(!Form().GroupBox()->isEnabled());
        QCOMPARE(Rows().size(), 6);
    }

    void AStoredGroupViewOpensOnItsGroupAndAVanishedGroupFallsBackToTheFirst()
    {
        Standard();
        h->settings.Write(key::ViewMode, "1");
        h->settings.Write(key::Group, "Sales");
        h->Start();
        QVERIFY(Form().GroupButton()->isChecked());
        QCOMPARE(Form().GroupBox()->currentText(), QStringLiteral("Sales"));
        QCOMPARE(Rows().size(), 2);
        h->settings.Write(key::Group, "Gone");
        h->frame->RefreshPagerList();
        QCOMPARE(Form().GroupBox()->currentText(), QStringLiteral("North"));
        // Only the user's choice is stored.
        QCOMPARE(h->settings.Get(key::Group), std::string("Gone"));
    }

    void AGroupWhoseNameIsNotUtf8IsStoredAndShownByItsOwnBytes()
    {
        const std::string odd = "\xE9quipe/\"nuit\"";
        h->SavePagers({{"Ann", {"Desk"}}, {"Bob", {odd}}});
        h->settings.Write(key::ViewMode, "1");
        h->Start();
        Form().GroupBox()->setCurrentIndex(1);
        emit Form().GroupBox()->activated(1);
        QCOMPARE(h->settings.Get(key::Group), odd);
        QCOMPARE(Form().GroupBox()->currentText(), QString::fromUtf8("\uFFFDquipe/\"nuit\""));
        QCOMPARE(Rows().size(), 1);
        h->frame->RefreshPagerList();
        QCOMPARE(Form().GroupBox()->currentIndex(), 1);
    }

    void ARefreshKeepsTheSelectedRows()
    {
        Standard();
        h->Start();
        QTest::keyClicks(Form().FindBox(), "wal");
        // Walter keeps his code; a new pager joins.
        h->SavePagers({{"Walter", {"North", "Sales"}, "5550100"}, {"Zed"}});
        h->state->RereadPagers();
        QCOMPARE(Selected(), QStringList({"Walter"}));
    }

    void TheMessageChoiceIsStored()
    {
        Standard();
        h->settings.Write(key::Messaging, "2");
        h->Start();
        QVERIFY(Form().MessageButton(2)->isChecked());
        QTest::mouseClick(Form().MessageButton(1), Qt::LeftButton);
        QCOMPARE(h->settings.Get(key::Messaging), std::string("1"));
        QTest::mouseClick(Form().MessageButton(0), Qt::LeftButton);
        QCOMPARE(h->settings.Get(key::Messaging), std::string("0"));
    }

    void SelectAllSelectsEveryRow()
    {
        Standard();
        h->Start();
        QTest::mouseClick(Form().SelectAllButton(), Qt::LeftButton);
        QCOMPARE(Selected().size(), 6);
        QCOMPARE(Form().SelectedRowData(), std::vector<int>({kGroupRowData, kGroupRowData, 3, 1, 2, 4}));
    }

    void EachStartMakesTheColumnsOnePixelNarrower()
    {
        Standard();
        h->settings.Write(key::Column2Width, "120");
        h->settings.Write(key::Column3Width, "9");
        for (int start = 1; start <= 3; ++start) {
            h->Start();
            QCOMPARE(Form().List()->header()->sectionSize(0), 151 - start);
            QCOMPARE(Form().List()->header()->sectionSize(1), 120 - start);
            // Never narrower than the smallest width: a column cannot vanish.
            QCOMPARE(Form().List()->header()->sectionSize(2), kMinColumnWidth);
            h->frame->RequestExit();
            QVERIFY(h->frame->Closed());
            QCOMPARE(h->settings.Get(key::Column1Width), std::to_string(151 - start));
            QCOMPARE(h->settings.Get(key::Column2Width), std::to_string(120 - start));
        }
    }

    void ColumnsTheUserWidenedAreStoredAtExit()
    {
        Standard();
        h->Start();
        Form().List()->header()->resizeSection(1, 200);
        h->frame->RequestExit();
        QCOMPARE(h->settings.Get(key::Column2Width), std::string("200"));
    }
};

CORVANE_GUI_TEST(PagerListFormTest)

}  // namespace corvane::test

#include "pager_list_form_test.moc"
