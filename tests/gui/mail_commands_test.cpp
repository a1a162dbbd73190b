// Monitor EMail in the main window and its refusals.

#include <QAction>
#include <QTest>

#include "tests/gui/gui_harness.h"
#include "tests/gui/gui_test_registry.h"

namespace corvane::test {

class MailCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CGuiHarness> h;

private slots:
    void init() { h = std::make_unique<CGuiHarness>(); }
    void cleanup() { h.reset(); }

    void MonitorEMailNeedsARecipientAndAMailSystem()
    {
        h->SavePagers({{"Bob"}});
        h->Start();
        CCorvaneFrame& frame = *h->frame;
        QAction* mail = frame.MonitorMailAction();
        QCOMPARE(mail->text(), QString("Monitor EMail"));
        mail->trigger();
        QVERIFY(!mail->isChecked());
        QCOMPARE(h->boxes.Texts(), std::string("Monitor Error: EMail Monitoring cannot be enabled.  You have not selected "
                                               "a pager to receive EMail Monitor pages.  Please select a pager using the "
                                               "EMail Monitoring tab on the Preferences dialog box.\n"));
        h->boxes.shown.clear();
        h->SavePagers({{"Bob", {}, "SNPP:one:444", "", "", kAutoMail}});
        h->state->RereadPagers();
        mail->trigger();  // this program was given no mail system
        QVERIFY(!mail->isChecked());
        QCOMPARE(frame.PaneText(StatusPane::Mail), QString());
        QCOMPARE(h->boxes.Texts(), std::string("EMail Error: EMail is not installed in your system.\n"));
        QCOMPARE(h->settings.Get(key::MailMonitor), std::string("0"));
    }
};

CORVANE_GUI_TEST(MailCommandsTest)

}  // namespace corvane::test

#include "mail_commands_test.moc"
