// The call monitor in the main window: the caller-ID pop-up that follows a call and closes
// with OK, and the Voice button that has the monitor modem dial the selected pager's number.

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "app/gui/dialogs/caller_id_popup_window.h"
#include "app/gui/dialogs/call_progress_dialog.h"
#include "app/gui/pager_list_form.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/gui_test_registry.h"
#include "tests/sim/caller_id_reports.h"

namespace corvane::test {

class CallMonitorWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CGuiHarness> h;

    CCorvaneFrame& Frame() { return *h->frame; }
    void SelectRow(int row)
    {
        QTreeView* list = Frame().Form().List();
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

private slots:
    void init()
    {
        h = std::make_unique<CGuiHarness>();
        h->dir.Write("log.txt", "");
        h->ports.line.fd = -1;
    }
    void cleanup() { h.reset(); }

    void ThePopupShowsTheCallAsItArrivesAndOkClosesIt()
    {
        h->settings.Write(key::CIDPopup, "1");
        h->SavePagers({{"Bob"}});
        h->Start();
        h->ports.OpenMonitorPort(true);
        h->ports.line.inbox = sim::kRingLine + sim::KeywordReport("5551234567", "JOHN SMITH");
        h->state->OnTick();
        CCallerIdPopupWindow* popup = Frame().CallerIdPopup();
        QVERIFY(popup);
        QCOMPARE(popup->windowTitle(), QStringLiteral("Incoming Call"));
        QCOMPARE(popup->Number(), QStringLiteral("(555) 123-4567"));
        QCOMPARE(popup->Name(), QStringLiteral(" JOHN SMITH"));
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QPoint off = popup->frameGeometry().center() - screen->availableGeometry().center();
            QVERIFY2(off.manhattanLength() <= 2, qPrintable(QString("off by %1,%2").arg(off.x()).arg(off.y())));
        }
        QVERIFY(popup->windowFlags() & Qt::WindowStaysOnTopHint);

        QTest::mouseClick(popup->OkButton(), Qt::LeftButton);
        QVERIFY(!Frame().CallerIdPopup());
        QVERIFY(FileText(h->dir.File("log.txt")).endsWith(QStringLiteral("Incoming Call: (555) 123-4567  JOHN SMITH\n")));
    }

    void VoiceDialsTheSelectedPagersNumberUntilCancelled()
    {
        h->SavePagers({{"Bob", {}, "SNPP:one:444", "", "", 0, "555-1234"}, {"Carl"}});
        h->Start();
        QPushButton* voice = Frame().Form().VoiceButton();
        QVERIFY(voice->isEnabled());
        QCOMPARE(Frame().Form().OtherButton()->text(), QStringLiteral("Other"));

        // Carl has no voice number.
        SelectRow(1);
        QTest::mouseClick(voice, Qt::LeftButton);
        QCOMPARE(h->boxes.shown.back().text, std::string("There is no number to dial for Carl."));

        SelectRow(0);
        h->ports.line.answersHangUp = true;
        bool dialogSeen = false;
        QTimer::singleShot(300, [&] {
            auto* dialog = qobject_cast<CCallProgressDialog*>(QApplication::activeModalWidget());
            dialogSeen = dialog && dialog->findChild<QLabel*>("text")->text().startsWith("Dialing 555-1234 for Bob.");
            QVERIFY(!Frame().Form().VoiceButton()->isEnabled());
            if (dialog) dialog->reject();
        });
        QTest::mouseClick(voice, Qt::LeftButton);
        QVERIFY(dialogSeen);
        QVERIFY(h->ports.line.written.starts_with("ATDT5551234\r"));
        QVERIFY(h->ports.line.written.ends_with("+++ATH\r"));
        QVERIFY(FileText(h->dir.File("log.txt")).endsWith(QStringLiteral("Bob: Voice call to 555-1234\n")));
        QVERIFY(voice->isEnabled());
        // The modem opened for the call is let go again.
        QVERIFY(!h->ports.monitorOpen);
    }
};

CORVANE_GUI_TEST(CallMonitorWindowTest)

}  // namespace corvane::test

#include "call_monitor_window_test.moc"
