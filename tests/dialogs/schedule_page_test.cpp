// The Schedule button through the Schedule Page dialog, and the Scheduled Pages window
// following the schedules as they fire, with Delete.

#include "app/gui/dialogs/form_view.h"
#include "app/gui/dialogs/schedule_page_dialog.h"
#include "app/gui/dialogs/scheduled_pages_dialog.h"
#include "directory/message_texts.h"
#include "directory/predefined_messages.h"
#include "pim/schedule_file.h"
#include "tests/dialogs/dialog_checks.h"

namespace corvane::test {

class SchedulePageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CProgramFixture> f;

    FormView View(std::vector<bool> selected)
    {
        std::vector<ListRow> rows;
        for (const auto& pager : f->state->Pagers().records()) {
            rows.emplace_back().data = pager->Code;
            rows.back().cells[0] = pager->UserName;
        }
        return MakeFormView(rows, selected, ListChoice{});
    }
    std::vector<CScheduledPage> Stored() { return ReadSchedules(f->dir.Read("SCHEDS.DAT")).schedules; }

private slots:
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        CPagerList list;
        f->AddPager(list, "Ann", "1");
        f->AddPager(list, "Bob", "0");
        list.Save(f->state->Files());
        f->Create();
        f->settings.Write(key::Messaging, "1");
    }
    void cleanup() { f.reset(); }

    void ScheduleOpensOnTodayAtNoonAndMakesARepeatingPage()
    {
        CPredefinedMessageList predefined;
        predefined.NewEntry() = {"Backup", "Backup check", "42"};
        predefined.Save(f->dir.File(kPredefinedMessagesFile));
        int changes = 0;
        connect(f->commands.get(), &CDialogCommands::sendButtonsChanged, [&] { ++changes; });
        f->commands->Schedule(View({true, true}));
        CSchedulePageDialog* dialog = f->commands->ScheduleDialog();
        QVERIFY(dialog);
        QVERIFY(!dialog->isModal());
        QVERIFY(f->commands->SendDialogOpen());
        QCOMPARE(changes, 1);
        QCOMPARE(Missing(dialog, {"Schedule Page", "Skip if Corvane is off at page time", "more time(s)",
                                  "Alphanumeric Message", "Numeric Message", "Pre-Defined"}),
                 QString());
        // 03/07/01 09:05 on the fake clock.
        QCOMPARE(Join(Text(dialog, "month"), Text(dialog, "day"), Text(dialog, "year"), Text(dialog, "time"),
                      Text(dialog, "dayInterval"), Text(dialog, "remaining")),
                 QString("3|7|01|12:00p|1|1"));
        QVERIFY(Checked(dialog, "once"));
        QVERIFY(!Checked(dialog, "skip"));
        QCOMPARE(EnabledOf(dialog, {"alpha", "numeric", "predefined", "dayInterval", "limited", "remaining"}),
                 QString("alpha,numeric,predefined"));

        Choose(dialog, "predefined", "Backup");
        QCOMPARE(Join(Text(dialog, "alpha"), Text(dialog, "numeric")), QString("Backup check|42"));
        QCOMPARE(dialog->Hint(), QString("1 page to deliver the"));
        Type(dialog, "day", "8");
        Type(dialog, "time", "9:30p");
        Click(dialog, "days");
        QCOMPARE(EnabledOf(dialog, {"minuteInterval", "dayInterval", "limited", "remaining"}),
                 QString("dayInterval,limited"));
        Type(dialog, "dayInterval", "2");
        Click(dialog, "limited");
        Type(dialog, "remaining", "3");
        Click(dialog, "skip");
        ClickOk(dialog);

        QVERIFY(!f->commands->SendDialogOpen());
        QCOMPARE(changes, 2);
        QVERIFY(f->boxes.shown.empty());
        const std::vector<CScheduledPage> stored = Stored();
        QCOMPARE(stored.size(), std::size_t(1));
        const CScheduledPage& p = stored[0];
        QCOMPARE(p.nextTime, std::time_t(984087000));  // 03/08/01 21:30 UTC
        QCOMPARE(Join(p.unit, p.interval, p.limited, p.remaining, p.skipIfMissed, p.messageSource),
                 QString("3|2|1|3|1|1"));
        QCOMPARE(Join(p.alphaText, p.numericText, p.pagers.size(), p.pagers[0], p.pagers[1]),
                 QString("Backup check|42|2|1|2"));
        QCOMPARE(f->state->Schedules().Entries().size(), std::size_t(1));
    }

    void AWrongDateKeepsTheDialogOpenAndCancelSchedulesNothing()
    {
        f->settings.Write(key::Messaging, "2");  // no prompt: nothing to type, nothing to choose
        f->commands->Schedule(View({true, false}));
        CSchedulePageDialog* dialog = f->commands->ScheduleDialog();
        QVERIFY(dialog);
        QCOMPARE(EnabledOf(dialog, {"alpha", "numeric", "predefined"}), QString());
        Type(dialog, "month", "2");
        Type(dialog, "day", "30");
        ClickOk(dialog);
        QCOMPARE(f->LastBox(), QString("Schedule Page: Please enter a valid send date: month, day and a two-digit year."));
        QCOMPARE(f->commands->ScheduleDialog(), dialog);
        Type(dialog, "day", "28");
        Type(dialog, "time", "25:00");
        ClickOk(dialog);
        QCOMPARE(f->LastBox(), QString("Schedule Page: Please enter a valid send time, such as 9:30a or 2:15p."));
        ClickCancel(dialog);
        QVERIFY(!f->commands->SendDialogOpen());
        QVERIFY(Stored().empty());
        QVERIFY(f->state->Schedules().Entries().empty());
    }

    void TheScheduledPagesWindowFollowsTheSchedulesAndDeletesAfterAsking()
    {
        CScheduledPage once;
        once.nextTime = 983955960;  // 09:06
        once.pagers = {1};
        once.alphaText = "Stand-up";
        CScheduledPage hourly;
        hourly.nextTime = 983962800;  // 11:00
        hourly.unit = kUnitHour;
        hourly.interval = 2;
        hourly.messageSource = kSourceDefault;
        hourly.pagers = {2, 1};
        f->state->Schedules().Add(once, 9 * 3600 + 360);
        f->state->Schedules().Add(hourly, 11 * 3600);

        QStringList before, after, details;
        OnNextModal([&](QWidget* window) {
            auto* list = qobject_cast<CScheduledPagesDialog*>(window);
            before = Items(window, "list");
            details << Text(window, "details");
            Child<QListWidget>(window, "list")->setCurrentRow(1);
            details << Text(window, "details");
            // A minute later the one-time page has gone out, and is gone from the list.
            f->clock.Advance(60000);
            f->state->OnTick();
            list->Refresh();
            after = Items(window, "list");
            details << Text(window, "details");  // the hourly page is still selected
            Click(window, "delete");  // No: it stays
            details << QString::number(Items(window, "list").size());
            f->boxes.answers = {MbAnswer::Yes};
            Click(window, "delete");
            details << QString::number(Items(window, "list").size());
            QVERIFY(!Child(window, "delete")->isEnabled());
            Child<QDialogButtonBox>(window, "buttons")->button(QDialogButtonBox::Close)->click();
        });
        f->commands->ScheduledPages();
        QCOMPARE(before, (QStringList{"03/07/01 09:06AM", "03/07/01 11:00AM"}));
        QCOMPARE(after, (QStringList{"03/07/01 11:00AM"}));
        QCOMPARE(details, (QStringList{"Alphanumeric message: Stand-up\nPager setting\nPagers:\n    Ann",
                                       "Every 2 hours\nDefault setting\nPagers:\n    Bob\n    Ann",
                                       "Every 2 hours\nDefault setting\nPagers:\n    Bob\n    Ann", "1", "0"}));
        QCOMPARE(f->LastBox(),
                 QString("Delete Scheduled Page: Are you sure you want to delete the currently selected scheduled page?"));
        QVERIFY(Stored().empty());
        QCOMPARE(f->transports.calls.size(), std::size_t(1));  // the one-time page, sent at its time
        QCOMPARE(f->transports.calls[0].pages.at(0).message, std::string("Stand-up"));
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::SchedulePageTest)
#include "schedule_page_test.moc"
