// Scheduling from the main window as a user does it: a row, the Schedule button and the
// dialog; and the Monitor PIM Reminders switch with its check mark and "PIM" pane.

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "app/gui/dialogs/dialog_commands.h"
#include "app/gui/dialogs/schedule_page_dialog.h"
#include "app/gui/pager_list_form.h"
#include "app/gui/pager_table_model.h"
#include "pim/schedule_file.h"
#include "tests/dialogs/dialog_fixture.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/gui_test_registry.h"

namespace corvane::test {

class ScheduleCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CGuiHarness> h;

    CPagerListForm& Form() { return h->frame->Form(); }
    void ClickRow(int row)
    {
        QTreeView* list = Form().List();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(Form().Model().index(row, 0)).center());
    }

private slots:
    void init() { h = std::make_unique<CGuiHarness>(); }
    void cleanup() { h.reset(); }

    void ScheduleFromTheForm()
    {
        h->SavePagers({{"Bob"}});
        h->settings.Write(key::Messaging, "1");
        h->Start();
        QPushButton* schedule = Form().ScheduleButton();
        QVERIFY(schedule->isEnabled());
        ClickRow(0);
        QTest::mouseClick(schedule, Qt::LeftButton);
        CSchedulePageDialog* dialog = h->frame->Dialogs()->ScheduleDialog();
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QVERIFY(!schedule->isEnabled());
        QVERIFY(!Form().PageButton()->isEnabled());
        Type(dialog, "month", "12");
        Type(dialog, "day", "31");
        Type(dialog, "year", "37");
        Type(dialog, "time", "11:00p");
        Type(dialog, "alpha", "Year-end backup\n");  // Return is OK
        QVERIFY(!h->frame->Dialogs()->ScheduleDialog());
        QVERIFY(schedule->isEnabled());
        const std::vector<CScheduledPage> stored = ReadSchedules(h->dir.Read("SCHEDS.DAT")).schedules;
        QCOMPARE(stored.size(), std::size_t(1));
        QCOMPARE(stored[0].alphaText, std::string("Year-end backup"));
        QCOMPARE(stored[0].nextTime, std::time_t(2145913200));  // 12/31/37 23:00 UTC

    }

    void MonitorPimRemindersNeedsARecipientAndShowsItsPane()
    {
        h->SavePagers({{"Bob"}});
        h->Start();
        QAction* toggle = h->frame->MonitorPimAction();
        toggle->trigger();
        QVERIFY(!toggle->isChecked());
        QCOMPARE(h->boxes.shown.size(), std::size_t(1));
        QCOMPARE(h->boxes.shown[0].caption, std::string("Monitor Error"));

        h->SavePagers({{"Bob", {}, "SNPP:one:444", "", "", kAutoPim}});
        h->state->RereadPagers();
        toggle->trigger();
        QVERIFY(toggle->isChecked());
        QCOMPARE(h->frame->PaneText(StatusPane::Pim), QString("PIM"));
        QCOMPARE(h->settings.Get(key::ScheduleReminders), std::string("1"));
    }
};

CORVANE_GUI_TEST(ScheduleCommandsTest)

}  // namespace corvane::test

#include "schedule_commands_test.moc"
