// The Page and Resubmit buttons through the Pager Message dialog.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "app/gui/dialogs/dialog_commands.h"
#include "app/gui/dialogs/form_view.h"
#include "app/gui/dialogs/pager_message_dialog.h"
#include "directory/message_texts.h"
#include "directory/predefined_messages.h"
#include "tests/dialogs/dialog_fixture.h"

namespace corvane::test {

class PagerMessageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CProgramFixture> f;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<CDialogCommands> commands;

    // A form showing every pager of the main list, each row selected as asked.
    FormView View(std::vector<bool> selected, const std::string& group = "")
    {
        FormView view;
        view.groupView = !group.empty();
        view.group = group;
        std::size_t i = 0;
        for (const auto& pager : f->state->Pagers().records())
            view.rows.push_back({false, pager->Code, pager->UserName, i < selected.size() && selected[i++]});
        return view;
    }
    CPagerMessageDialog* Dialog()
    {
        CPagerMessageDialog* dialog = commands->MessageDialog();
        if (!dialog) qFatal("no Pager Message dialog");
        return dialog;
    }

private slots:
    void Start(const MessageTexts& texts, int bobLength = 80)
    {
        commands.reset();
        f = std::make_unique<CProgramFixture>();
        SaveMessages(f->dir.File("MESSAGES.DAT"), texts);
        CPagerList list;
        f->AddPager(list, "Ann", "1", {"Desk"});
        f->AddPager(list, "Bob", "1", {"Desk"}).MaximumPageLength = static_cast<std::int16_t>(bobLength);
        list.Save(f->state->Files());
        f->Create();
        if (!window) window = std::make_unique<QWidget>();
        commands = std::make_unique<CDialogCommands>(*f->state, f->MainView(), f->clock, window.get());
    }

    void init() { Start({"Default text", "555", "", "", ""}); }
    void cleanup()
    {
        commands.reset();
        window.reset();
        f.reset();
    }

    void theDialogSaysWhatItAsksWithItsOwnTexts()
    {
        f->settings.Write(key::Messaging, "1");
        commands->Page(View({true, false}));
        QStringList texts = Texts(Dialog());
        QCOMPARE(Dialog()->windowTitle(), QString("Pager Message"));
        QVERIFY(texts.contains("One or more of the pagers you selected is configured to prompt for a message to "
                               "send.  Type in a message, or if you have pre-defined messages, select one from "
                               "the Pre-Defined list."));
        for (const char* text : {"Alphanumeric Message", "Numeric Message", "Pre-Defined", "It will require",
                                 "alphanumeric message above."})
            QVERIFY2(texts.contains(text), text);
        ClickCancel(Dialog());
    }

    void promptingTwoAlphanumericPagersOfAWholeGroupQueuesOneRequest()
    {
        f->settings.Write(key::Messaging, "1");
        int changes = 0;
        connect(commands.get(), &CDialogCommands::sendButtonsChanged, [&] { ++changes; });
        commands->Page(View({true, true}, "Desk"));
        QVERIFY(commands->SendDialogOpen());
        QCOMPARE(changes, 1);
        CPagerMessageDialog* dialog = Dialog();
        QVERIFY(!dialog->isModal());
        QVERIFY(Child<QPlainTextEdit>(dialog, "alpha")->isEnabled());
        QVERIFY(!Child<QLineEdit>(dialog, "numeric")->isEnabled());
        QVERIFY(!Child<QLabel>(dialog, "numericLabel")->isEnabled());
        QVERIFY(!Child<QComboBox>(dialog, "predefined")->isEnabled());  // no PDM.DAT yet
        QCOMPARE(dialog->Hint(), QString("no pages to deliver the"));

        Type(dialog, "alpha", "Meet at noon");
        QCOMPARE(dialog->Hint(), QString("1 page to deliver the"));
        QVERIFY(f->state->Queue().requests.empty());
        ClickOk(dialog);
        QVERIFY(!commands->SendDialogOpen());
        QCOMPARE(changes, 2);
        QCOMPARE(f->state->Queue().requests.size(), std::size_t{1});
        QVERIFY((f->state->Queue().requests[0] == PageRequest{kOriginProgram, "Desk", "", "", "Meet at noon"}));
        QCOMPARE(f->state->Queue().sendRequest, int{kSendInteractive});
        QCOMPARE(f->frame.queueCounts.back(), 1);
        QVERIFY(commands->ResubmitAvailable());
    }

    void theSameWithoutTheWholeGroupQueuesOneRequestPerPager()
    {
        f->settings.Write(key::Messaging, "1");
        commands->Page(View({true, true}));
        Type(Dialog(), "alpha", "hello");
        ClickOk(Dialog());
        auto& requests = f->state->Queue().requests;
        QCOMPARE(requests.size(), std::size_t{2});
        QCOMPARE(requests[0].name, std::string("Ann"));
        QCOMPARE(requests[1].name, std::string("Bob"));
        QCOMPARE(requests[1].message, std::string("hello"));
    }

    void theHintCountsTheSignatureAndTheSmallestPageLength()
    {
        Start({"", "", "", "", "-Al"}, 10);
        f->settings.Write(key::Messaging, "1");
        commands->Page(View({true, true}));
        QCOMPARE(Dialog()->Hint(), QString("1 page to deliver the"));  // the signature alone
        Type(Dialog(), "alpha", "123456");                               // 6 + 1 + 3 = 10
        QCOMPARE(Dialog()->Hint(), QString("1 page to deliver the"));
        Type(Dialog(), "alpha", "1234567");
        QCOMPARE(Dialog()->Hint(), QString("2 separate pages to deliver the"));
        Type(Dialog(), "alpha", "");
        QCOMPARE(Dialog()->Hint(), QString("1 page to deliver the"));
        ClickCancel(Dialog());

        f->settings.Write(key::ContentTime, "1");  // " hh:mm" on the last page
        commands->Page(View({true, true}));
        Type(Dialog(), "alpha", "1");  // 6 + 1 + 4 = 11
        QCOMPARE(Dialog()->Hint(), QString("2 separate pages to deliver the"));
        ClickCancel(Dialog());
    }

    void returnAtTheEndSendsAndOtherwiseIsANewLine()
    {
        f->settings.Write(key::Messaging, "1");
        commands->Page(View({true, false}));
        Type(Dialog(), "alpha", "line one");
        QPlainTextEdit* alpha = Child<QPlainTextEdit>(Dialog(), "alpha");
        alpha->moveCursor(QTextCursor::Start);
        QTest::keyClick(alpha, Qt::Key_Return);  // not at the end: a new line, nothing sent
        QVERIFY(commands->SendDialogOpen());
        alpha->moveCursor(QTextCursor::End);
        QTest::keyClick(alpha, Qt::Key_Return);
        QVERIFY(!commands->SendDialogOpen());
        QCOMPARE(f->state->Queue().requests.size(), std::size_t{1});
        QCOMPARE(f->state->Queue().requests[0].message, std::string("\nline one"));

        f->settings.Write(key::PromptUseReturn, "0");
        commands->Page(View({true, false}));
        Type(Dialog(), "alpha", "two\nlines");
        QVERIFY(commands->SendDialogOpen());
        ClickOk(Dialog());
        QCOMPARE(f->state->Queue().requests.back().message, std::string("two\nlines"));
    }

    void cancelQueuesNothingAndResubmitStartsWithTheLastTexts()
    {
        f->settings.Write(key::Messaging, "1");
        commands->Page(View({true, false}));
        Type(Dialog(), "alpha", "first");
        ClickCancel(Dialog());
        QVERIFY(f->state->Queue().requests.empty());
        QVERIFY(!commands->ResubmitAvailable());

        commands->Page(View({true, false}));
        Type(Dialog(), "alpha", "second");
        ClickOk(Dialog());
        commands->Resubmit(View({false, true}));
        QCOMPARE(Child<QPlainTextEdit>(Dialog(), "alpha")->toPlainText(), QString("second"));
        commands->Page(View({true, false}));  // the buttons are disabled meanwhile: nothing happens
        ClickOk(Dialog());
        QCOMPARE(f->state->Queue().requests.back().name, std::string("Bob"));
        QCOMPARE(f->state->Queue().requests.back().message, std::string("second"));
        commands->Page(View({true, false}));
        QCOMPARE(Child<QPlainTextEdit>(Dialog(), "alpha")->toPlainText(), QString(""));
        ClickCancel(Dialog());
    }

    void aNumericPagerIsAskedInTheNumericBoxAndPreDefinedMessagesFillBoth()
    {
        CPredefinedMessageList pdm;
        pdm.NewEntry() = {"Lunch", "At lunch", "1200"};
        pdm.NewEntry() = {"Call", "Call me", "911"};
        pdm.Save(f->dir.File("PDM.DAT"));
        CPagerList list;
        f->LoadLocal(list);
        PagerRecord* bob = list.FindByName("Bob");
        QVERIFY(bob);
        bob->PagerType.assign(1, '0');
        f->SavePagers(list);

        commands->Page(View({false, true}));  // Bob prompts by his own setting ("1")
        CPagerMessageDialog* dialog = Dialog();
        QVERIFY(!Child<QPlainTextEdit>(dialog, "alpha")->isEnabled());
        QVERIFY(Child<QLineEdit>(dialog, "numeric")->isEnabled());
        ClickCancel(dialog);

        commands->Page(View({true, true}));
        Choose(Dialog(), "predefined", "Call");
        QCOMPARE(Child<QPlainTextEdit>(Dialog(), "alpha")->toPlainText(), QString("Call me"));
        QCOMPARE(Child<QLineEdit>(Dialog(), "numeric")->text(), QString("911"));
        ClickOk(Dialog());
        auto& requests = f->state->Queue().requests;
        QCOMPARE(requests.size(), std::size_t{2});
        QCOMPARE(requests[0].message, std::string("Call me"));
        QCOMPARE(requests[1].message, std::string("911"));
    }

    void pagersThatDoNotPromptAreQueuedAtOnce()
    {
        f->settings.Write(key::Messaging, "2");
        f->settings.Write(key::AutoMinimize, "1");
        commands->Page(View({true, true}, "Desk"));
        QVERIFY(!commands->SendDialogOpen());
        QCOMPARE(f->state->Queue().requests.size(), std::size_t{1});
        QVERIFY((f->state->Queue().requests[0] == PageRequest{kOriginProgram, "Desk", "", "", "Default text"}));
        QCOMPARE(f->frame.minimizeCalls, 1);

        FormView gone;
        gone.rows.push_back({false, 4321, "Gone", true});
        commands->Page(gone);
        QCOMPARE(f->state->Queue().requests.size(), std::size_t{1});
    }

    void theFormsRowsBecomeTheSendersView()
    {
        std::vector<ListRow> rows(3);
        rows[0].data = kGroupRowData;
        rows[0].cells[0] = "Desk";
        rows[1].data = 7;
        rows[1].cells[0] = "Ann";
        rows[2].data = -4;
        rows[2].cells[0] = "Remote";
        FormView view = MakeFormView(rows, {true, false, true}, ListChoice{true, "Desk", false});
        QVERIFY(view.groupView);
        QCOMPARE(view.group, std::string("Desk"));
        QCOMPARE(view.rows.size(), std::size_t{3});
        QVERIFY(view.rows[0].group && view.rows[0].selected);
        QCOMPARE(view.rows[0].text, std::string("Desk"));
        QVERIFY(!view.rows[1].group && !view.rows[1].selected);
        QCOMPARE(view.rows[1].code, std::int16_t{7});
        QCOMPARE(view.rows[2].code, std::int16_t{-4});
    }

    void aDoubleClickPagesWhenSoConfigured()
    {
        f->settings.Write(key::DisplayClickAction, "1");
        f->settings.Write(key::Messaging, "2");
        commands->DoubleClick(View({false, true}), 1);
        QCOMPARE(f->state->Queue().requests.size(), std::size_t{1});
        QCOMPARE(f->state->Queue().requests[0].name, std::string("Bob"));
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::PagerMessageTest)
#include "pager_message_test.moc"
