// The main window's commands that open dialogs: Page and Resubmit with their enabled
// states, the double-click, the Configure menu with its monitoring refusals, File > Log
// Pages To, and the command server's AddPager.

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "app/core/command_server.h"
#include "app/core/command_socket.h"
#include "app/core/pager_fields.h"
#include "app/gui/dialogs/dialog_commands.h"
#include "app/gui/dialogs/pager_message_dialog.h"
#include "app/gui/pager_list_form.h"
#include "app/gui/pager_table_model.h"
#include "app/gui/qt_reactor.h"
#include "directory/message_texts.h"
#include "directory/service_list.h"
#include "tests/dialogs/dialog_fixture.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/gui_test_registry.h"

namespace corvane::test {

class SendCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CGuiHarness> h;

    CCorvaneFrame& Frame() { return *h->frame; }
    CPagerListForm& Form() { return h->frame->Form(); }
    QPushButton* PageButton() { return Form().PageButton(); }
    QPushButton* ResubmitButton() { return Form().ResubmitButton(); }

    // "page resubmit cancel", each 1 when enabled.
    QString Buttons()
    {
        return QStringLiteral("%1 %2 %3")
            .arg(int(PageButton()->isEnabled()))
            .arg(int(ResubmitButton()->isEnabled()))
            .arg(int(Form().CancelButton()->isEnabled()));
    }

    int RowOf(const std::string& name)
    {
        const std::vector<ListRow>& rows = Form().Model().Rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].cells[0] == name) return static_cast<int>(i);
        qFatal("no row %s", name.c_str());
    }

    QPoint RowCentre(int row)
    {
        return Form().List()->visualRect(Form().Model().index(row, 0)).center();
    }

    void ClickRow(const std::string& name)
    {
        QTest::mouseClick(Form().List()->viewport(), Qt::LeftButton, {}, RowCentre(RowOf(name)));
    }

    void DoubleClickRow(const std::string& name)
    {
        QPoint at = RowCentre(RowOf(name));
        QTest::mouseClick(Form().List()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Form().List()->viewport(), Qt::LeftButton, {}, at);
    }

    CPagerMessageDialog* MessageDialog() { return Frame().Dialogs()->MessageDialog(); }

private slots:
    void init() { h = std::make_unique<CGuiHarness>(); }
    void cleanup() { h.reset(); }

    void TheSendButtonsFollowTheRowsARunAndThePagerMessageDialog()
    {
        h->Start();
        QCOMPARE(Buttons(), QString("0 0 0"));  // nothing to page

        h->SavePagers({{"Bob", {}, "SNPP:one:444"}, {"Carl", {}, "SNPP:two:444"}});
        h->state->RereadPagers();
        QCOMPARE(Buttons(), QString("1 0 0"));

        // Bob prompts for his message: the dialog holds Page and Resubmit back.
        ClickRow("Bob");
        QTest::mouseClick(PageButton(), Qt::LeftButton);
        QVERIFY(MessageDialog());
        QVERIFY(MessageDialog()->isVisible());
        QCOMPARE(Buttons(), QString("0 0 0"));
        // Double-click set to page cannot open a second one.
        h->settings.Write(key::DisplayClickAction, "1");
        DoubleClickRow("Carl");
        QCOMPARE(Frame().findChildren<CPagerMessageDialog*>().size(), qsizetype(1));

        Type(MessageDialog(), "alpha", "Call the office");
        ClickOk(MessageDialog());
        QVERIFY(!MessageDialog());
        QCOMPARE(h->state->Queue().requests.size(), std::size_t(1));
        QCOMPARE(h->state->Queue().requests[0],
                 (PageRequest{kOriginProgram, "Bob", "", "", "Call the office"}));
        QCOMPARE(h->state->Queue().sendRequest, kSendInteractive);
        QCOMPARE(Frame().PaneText(StatusPane::Queue), QString("1"));
        QCOMPARE(Buttons(), QString("1 1 0"));  // a prompted text was sent: Resubmit too

        // During the run only Cancel; afterwards Page and Resubmit again.
        QString during;
        std::vector<AddedPage> sent;
        h->transports.sendScripts.push_back([&](std::vector<AddedPage>& pages) {
            during = Buttons();
            sent = pages;
            return 0;
        });
        h->boxes.answers.push_back(MbAnswer::Ok);
        Frame().TickNow();
        QCOMPARE(during, QString("0 0 1"));
        QCOMPARE(sent.size(), std::size_t(1));
        QCOMPARE(sent[0].message, std::string("Call the office"));
        QCOMPARE(Buttons(), QString("1 1 0"));

        // Resubmit opens with the last text; Cancel queues nothing and keeps Resubmit.
        QTest::mouseClick(ResubmitButton(), Qt::LeftButton);
        QVERIFY(MessageDialog());
        QCOMPARE(Child<QPlainTextEdit>(MessageDialog(), "alpha")->toPlainText(), QString("Call the office"));
        QCOMPARE(Buttons(), QString("0 0 0"));
        ClickCancel(MessageDialog());
        QVERIFY(!MessageDialog());
        QVERIFY(h->state->Queue().requests.empty());
        QCOMPARE(Buttons(), QString("1 1 0"));
    }

    void ExitWithThePagerMessageDialogOpenClosesItAndSendsNothing()
    {
        h->SavePagers({{"Bob"}});
        h->Start();
        Form().SelectAllButton()->click();
        QTest::mouseClick(PageButton(), Qt::LeftButton);
        QPointer<CPagerMessageDialog> open = MessageDialog();
        QVERIFY(open);
        Type(open, "alpha", "Never sent");
        Frame().ExitAction()->trigger();
        QVERIFY(Frame().Closed());
        QTRY_VERIFY(!open);
        QVERIFY(h->state->Queue().requests.empty());
    }

    void PageWithTheDefaultMessageQueuesAtOnceAndDoubleClickPagesWhenSetTo()
    {
        SaveMessages(h->dir.File("MESSAGES.DAT"), {"Please call", "555", "", "", ""});
        h->SavePagers({{"Bob"}, {"Carl"}});
        h->Start();
        h->settings.Write(key::Messaging, "2");
        Form().SelectAllButton()->click();
        QTest::mouseClick(PageButton(), Qt::LeftButton);
        QVERIFY(!MessageDialog());
        QCOMPARE(h->state->Queue().requests.size(), std::size_t(2));
        QCOMPARE(h->state->Queue().requests[1].message, std::string("Please call"));

        h->state->Queue().requests.clear();
        h->settings.Write(key::Messaging, "1");
        h->settings.Write(key::DisplayClickAction, "1");
        DoubleClickRow("Carl");
        QVERIFY(MessageDialog());
        Type(MessageDialog(), "alpha", "Back at 3");
        ClickOk(MessageDialog());
        QCOMPARE(h->state->Queue().requests.size(), std::size_t(1));
        QCOMPARE(h->state->Queue().requests[0].name, std::string("Carl"));
    }

    void DoubleClickEditsThePagerAndTheListShowsTheChange()
    {
        h->SavePagers({{"Bob", {"Staff"}}, {"Carl"}});
        h->Start();
        QString title;
        OnNextModal([&title](QWidget* dialog) {
            title = dialog->windowTitle();
            Type(dialog, "name", "Robert");
            ClickOk(dialog);
        });
        DoubleClickRow("Bob");
        QCOMPARE(title, QString(kIndividualPagerTitle));
        QVERIFY(h->state->Pagers().FindByName("Robert"));
        RowOf("Robert");  // redrawn

        // A group row is not a pager.
        DoubleClickRow("Staff");
        QCOMPARE(h->boxes.shown.back().caption, std::string("Edit Pager"));
        QCOMPARE(h->boxes.shown.back().text, std::string("This is a pager group.  To edit the group, choose "
                                                         "Groups from the Configure menu."));
    }

    void PagersOkReReadsTheListAndRedrawsIt()
    {
        h->SavePagers({{"Bob"}});
        h->Start();
        OnNextModal([](QWidget* config) {
            OnNextModal([](QWidget* pager) {
                Type(pager, "name", "Dora");
                ClickOk(pager);
            });
            Click(config, "add");
            ClickOk(config);
        });
        Frame().findChild<QAction*>("configurePagersAction")->trigger();
        QVERIFY(h->state->Pagers().FindByName("Dora"));
        RowOf("Dora");
    }

    void ServiceProvidersOkRedrawsTheListWithWhatTheServiceChanged()
    {
        DataFiles files{h->dir.path(), h->settings, h->boxes};
        CServiceList services;
        ServiceRecord& metro = *services.NewService();
        metro.Name = "Metro";
        metro.PhoneNumber = "5550000";
        services.Save(files);
        h->SavePagers({{"Bob", {}, "5550000"}});
        CPagerList pagers;
        pagers.Reload(files);
        pagers.FindByName("Bob")->ServiceName = "Metro";
        pagers.Save(files);
        h->Start();
        QCOMPARE(Form().Model().Rows()[0].cells[1], std::string("5550000"));

        OnNextModal([](QWidget* config) {
            OnNextModal([](QWidget* service) {
                Type(service, "phoneNumber", "5559999");
                ClickOk(service);
            });
            Child<QListWidget>(config, "services")->item(0)->setSelected(true);
            Click(config, "edit");
            ClickOk(config);
        });
        Frame().findChild<QAction*>("configureServicesAction")->trigger();
        QCOMPARE(Form().Model().Rows()[0].cells[1], std::string("5559999"));
    }

    void AddPagerOverTheCommandServerOpensTheDialogAndAnswersWhenItCloses()
    {
        h->Start();
        CQtReactor reactor;
        CCommandServer server(reactor, h->clock, h->state->Commands());
        const std::string title = "Corvane AddPager " + std::to_string(::getpid());
        QCOMPARE(server.Start(title), ServerStart::Listening);
        std::string path, problem;
        QVERIFY(CommandSocketPath(title, false, path, problem));

        QString dialogTitle;
        OnNextModal([&dialogTitle](QWidget* dialog) {
            dialogTitle = dialog->windowTitle();
            Type(dialog, "name", "Erin");
            ClickOk(dialog);
        });
        // A client as corvane-ctl is one, without blocking this thread: the answer only
        // comes once the dialog has closed.
        int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        QVERIFY(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        const std::string request = EncodeExecuteRequest("AddPager", "");
        QCOMPARE(::write(client, request.data(), request.size()), ssize_t(request.size()));
        ::fcntl(client, F_SETFL, O_NONBLOCK);
        std::string answer;
        auto read = [&] {
            char bytes[64];
            ssize_t n = ::read(client, bytes, sizeof bytes);
            if (n > 0) answer.append(bytes, static_cast<std::size_t>(n));
            return answer.find('\n') != std::string::npos;
        };
        QTRY_VERIFY_WITH_TIMEOUT(read(), 10000);
        ::close(client);
        QCOMPARE(answer, std::string("FACK\n"));
        QCOMPARE(dialogTitle, QString(kIndividualPagerTitle));
        QVERIFY(h->state->Pagers().FindByName("Erin"));
        RowOf("Erin");
        server.Stop();
    }
};

CORVANE_GUI_TEST(SendCommandsTest)

}  // namespace corvane::test

#include "send_commands_test.moc"
