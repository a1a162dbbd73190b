// The Page and Resubmit buttons through the Pager Message dialog.

#include "app/gui/dialogs/form_view.h"
#include "app/gui/dialogs/pager_message_dialog.h"
#include "directory/message_texts.h"
#include "directory/predefined_messages.h"
#include "tests/dialogs/dialog_checks.h"

namespace corvane::test {

class PagerMessageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CProgramFixture> f;

    // The form showing every pager of the main list (the group's members in group view),
    // each row selected as asked.
    FormView View(std::vector<bool> selected, const std::string& group = "")
    {
        std::vector<ListRow> rows;
        for (const auto& pager : f->state->Pagers().records()) {
            rows.emplace_back().data = pager->Code;
            rows.back().cells[0] = pager->UserName;
        }
        return MakeFormView(rows, selected, ListChoice{!group.empty(), group});
    }
    CPagerMessageDialog* Dialog()
    {
        if (!f->commands->MessageDialog()) qFatal("no Pager Message dialog");
        return f->commands->MessageDialog();
    }
    // The queued requests as "origin|name|phone|id|message", one per line.
    QString Queued()
    {
        QStringList lines;
        for (const PageRequest& r : f->state->Queue().requests)
            lines << Join(r.origin, r.name, r.phoneOverride, r.idOverride, r.message);
        return lines.join('\n');
    }
    void Start(const MessageTexts& texts, int bobLength = 80)
    {
        f = std::make_unique<CProgramFixture>();
        SaveMessages(f->dir.File("MESSAGES.DAT"), texts);
        CPagerList list;
        f->AddPager(list, "Ann", "1", {"Desk"});
        f->AddPager(list, "Bob", "1", {"Desk"}).MaximumPageLength = static_cast<std::int16_t>(bobLength);
        list.Save(f->state->Files());
        f->Create();
        f->settings.Write(key::Messaging, "1");
    }

private slots:
    void init() { Start({"Default text", "555", "", "", ""}); }
    void cleanup() { f.reset(); }

    void promptingTwoAlphanumericPagersOfAWholeGroupQueuesOneRequest()
    {
        int changes = 0;
        connect(f->commands.get(), &CDialogCommands::sendButtonsChanged, [&] { ++changes; });
        f->commands->Page(View({true, true}, "Desk"));
        QVERIFY(f->commands->SendDialogOpen());
        QCOMPARE(changes, 1);
        CPagerMessageDialog* dialog = Dialog();
        QCOMPARE(Missing(dialog, {"Pager Message",
                                  "One or more of the pagers you selected is configured to prompt for a message to "
                                  "send.  Type in a message, or if you have pre-defined messages, select one from "
                                  "the Pre-Defined list.",
                                  "Alphanumeric Message", "Numeric Message", "Pre-Defined", "It will require",
                                  "alphanumeric message above."}),
                 QString());
        QVERIFY(!dialog->isModal());
        // No numeric pager, and no PDM.DAT yet.
        QCOMPARE(EnabledOf(dialog, {"alpha", "numeric", "numericLabel", "predefined"}), QString("alpha"));
        QCOMPARE(dialog->Hint(), QString("no pages to deliver the"));
        Type(dialog, "alpha", "Meet at noon");
        QCOMPARE(dialog->Hint(), QString("1 page to deliver the"));
        QCOMPARE(Queued(), QString());
        ClickOk(dialog);
        QVERIFY(!f->commands->SendDialogOpen());
        QCOMPARE(changes, 2);
        QCOMPARE(Queued(), QString("1|Desk|||Meet at noon"));
        QCOMPARE(f->state->Queue().sendRequest, int{kSendInteractive});
        QCOMPARE(f->frame.queueCounts.back(), 1);
        QVERIFY(f->commands->ResubmitAvailable());

        // The same two pagers, not from a whole group: one request each.
        f->state->Queue().requests.clear();
        f->commands->Page(View({true, true}));
        Type(Dialog(), "alpha", "hello");
        ClickOk(Dialog());
        QCOMPARE(Queued(), QString("1|Ann|||hello\n1|Bob|||hello"));
    }

    void theHintCountsTheSignatureAndTheSmallestPageLength()
    {
        Start({"", "", "", "", "-Al"}, 10);
        f->commands->Page(View({true, true}));
        QCOMPARE(Dialog()->Hint(), QString("1 page to deliver the"));  // the signature alone
        const std::pair<const char*, const char*> steps[] = {
            {"123456", "1 page to deliver the"},  // 6 + 1 + 3 = 10
            {"1234567", "2 separate pages to deliver the"},
        };
        for (auto [typed, hint] : steps) {
            Type(Dialog(), "alpha", typed);
            QCOMPARE(Dialog()->Hint(), QString(hint));
        }
        ClickCancel(Dialog());
        f->settings.Write(key::ContentTime, "1");  // " hh:mm" on the last page
        f->commands->Page(View({true, true}));
        Type(Dialog(), "alpha", "1");  // 6 + 1 + 4 = 11
        QCOMPARE(Dialog()->Hint(), QString("2 separate pages to deliver the"));
        ClickCancel(Dialog());
    }

    void returnAtTheEndSendsAndOtherwiseIsANewLine()
    {
        f->commands->Page(View({true, false}));
        Type(Dialog(), "alpha", "line one");
        auto* alpha = Child<QPlainTextEdit>(Dialog(), "alpha");
        alpha->moveCursor(QTextCursor::Start);
        QTest::keyClick(alpha, Qt::Key_Return);  // not at the end: a new line, nothing sent
        QVERIFY(f->commands->SendDialogOpen());
        alpha->moveCursor(QTextCursor::End);
        QTest::keyClick(alpha, Qt::Key_Return);
        QCOMPARE(Queued(), QString("1|Ann|||\nline one"));

        f->settings.Write(key::PromptUseReturn, "0");
        f->commands->Page(View({true, false}));
        Type(Dialog(), "alpha", "two\nlines");
        QVERIFY(f->commands->SendDialogOpen());
        ClickOk(Dialog());
        QCOMPARE(f->state->Queue().requests.back().message, std::string("two\nlines"));
    }

    void aNumericPagerIsAskedInTheNumericBoxAndPreDefinedMessagesFillBoth()
    {
        CPredefinedMessageList pdm;
        pdm.NewEntry() = {"Lunch", "At lunch", "1200"};
        pdm.NewEntry() = {"Call", "Call me", "911"};
        pdm.Save(f->dir.File("PDM.DAT"));
        CPagerList list;
        f->AddPager(list, "Ann", "1");
        f->AddPager(list, "Num", "0");
        f->SavePagers(list);

        f->settings.Write(key::Messaging, "0");  // Num prompts by his own setting ("1")
        f->commands->Page(View({false, true}));
        QCOMPARE(EnabledOf(Dialog(), {"alpha", "numeric"}), QString("numeric"));
        ClickCancel(Dialog());

        f->settings.Write(key::Messaging, "1");
        f->commands->Page(View({true, true}));
        Choose(Dialog(), "predefined", "Call");
        QCOMPARE(Join(Text(Dialog(), "alpha"), Text(Dialog(), "numeric")), QString("Call me|911"));
        ClickOk(Dialog());
        QCOMPARE(Queued(), QString("1|Ann|||Call me\n1|Num|||911"));
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::PagerMessageTest)
#include "pager_message_test.moc"
