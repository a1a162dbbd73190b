// Configure > Groups with its Add, Rename, Delete and Edit Group; Configure > Pre-Defined
// Messages and Dashnote > Configure, driven as a user would, with every text as shown.

#include <sys/stat.h>

#include "app/core/message_editor.h"
#include "directory/group_editor.h"
#include "directory/pager_file.h"
#include "directory/predefined_messages.h"
#include "tests/dialogs/dialog_checks.h"

namespace corvane::test {

class GroupsMessagesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CProgramFixture> f;
    const std::string odd = "\xE9quipe \"A/B\"";  // not UTF-8

    QString LastBox() const { return f->LastBox(); }

private slots:
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        // A shared pager file in a folder of its own: Sue, of North.
        ::mkdir(f->dir.File("shared").c_str(), 0700);
        CPagerList shared;
        f->AddPager(shared, "Sue", "1", {"North"});
        shared.Save(DataFiles{f->dir.File("shared/"), f->settings, f->boxes});
        f->settings.Write(key::PagerFilePath, f->dir.File("shared"));
        f->Create();
        CPagerList local;
        f->AddPager(local, "Ann", "1", {"North", "Sales"});
        f->AddPager(local, "Bob", "0", {"Sales", odd});
        f->SavePagers(local);
    }
    void cleanup() { f.reset(); }

    void TheGroupCommandsKeepSharedPagersAsTheyAreAndSayWhy()
    {
        OnNextModal([this](QWidget* groups) {
            QCOMPARE(Missing(groups, {"Configure Groups", "&Add", "&Rename", "&Delete", "&Edit"}), QString());
            QCOMPARE(Child<QDialogButtonBox>(groups, "buttons")->buttons().size(), 1);  // OK only
            QCOMPARE(Items(groups, "groups"), (QStringList{"North", "Sales", QString::fromUtf8("\uFFFDquipe \"A/B\"")}));
            QCOMPARE(EnabledOf(groups, {"rename", "delete", "edit"}), QString());

            // Rename North: Sue is shared and stays in North.
            Select(groups, "groups", {0});
            OnNextModal([](QWidget* rename) {
                QCOMPARE(Join(rename->windowTitle(), Text(rename, "name")), QString("Rename Group|North"));
                Type(rename, "name", "Field");
                ClickOk(rename);
            });
            Click(groups, "rename");
            QCOMPARE(LastBox(), QString("Rename Group: ") + kRenameSharedText);
            QCOMPARE(Items(groups, "groups").last(), QString("Field"));

            // Add: a name the pager file cannot hold is refused; then the members.
            OnNextModal([this](QWidget* add) {
                QCOMPARE(add->windowTitle(), QString("Add Group"));
                Child<QLineEdit>(add, "name")->setText(QString(1000, 'x'));
                Child<QLineEdit>(add, "name")->setModified(true);
                ClickOk(add);
                QCOMPARE(LastBox(), QString("Add Group: ") + kGroupNameTooLongText);
                QVERIFY(add->isVisible());
                Type(add, "name", "Night/\"desk\"");
                OnNextModal([](QWidget* edit) {
                    QCOMPARE(Join(edit->windowTitle(), Items(edit, "pagers").join(',')), QString("Edit Group|Ann,Bob,Sue"));
                    QCOMPARE(Child<QListWidget>(edit, "pagers")->selectedItems().size(), 0);
                    Select(edit, "pagers", {0, 2});
                    ClickOk(edit);
                });
                ClickOk(add);
            });
            Click(groups, "add");
            QCOMPARE(LastBox(), QString("Add Group: ") + kEditSharedText);

            // Delete the group whose name is not UTF-8: the question names it, Yes deletes.
            Select(groups, "groups", {2});
            f->boxes.answers.push_back(MbAnswer::Yes);
            Click(groups, "delete");
            QCOMPARE(f->boxes.shown.back().text, DeleteGroupQuestion(odd));
            QCOMPARE(Items(groups, "groups"), (QStringList{"North", "Sales", "Field", "Night/\"desk\""}));
            ClickOk(groups);
        });
        QVERIFY(f->commands->ConfigureGroups());
        QCOMPARE(Field(f->Stored("Ann").Groups), QString("Field,Sales,Night/\"desk\""));
        QCOMPARE(Field(f->Stored("Bob").Groups), QString("Sales"));
        // The main list was read again: Sue keeps North.
        QCOMPARE(Field(f->state->Pagers().GroupNames()), QString("Field,Sales,Night/\"desk\",North"));
    }

    void RenamingKeepsTheBytesOfNamesTheUserDidNotType()
    {
        // Renaming another group leaves the odd name's bytes alone through the dialog.
        OnNextModal([](QWidget* groups) {
            Select(groups, "groups", {1});
            OnNextModal([](QWidget* rename) {
                Type(rename, "name", "Sales desk");
                ClickOk(rename);
            });
            Click(groups, "rename");
            // Rename offered and confirmed unchanged: nothing happens.
            Select(groups, "groups", {2});
            OnNextModal([](QWidget* rename) { ClickOk(rename); });
            Click(groups, "rename");
            ClickOk(groups);
        });
        f->commands->ConfigureGroups();
        QCOMPARE(f->Stored("Bob").Groups, (std::vector<std::string>{"Sales desk", odd}));
    }

    void GroupChangesMadeDuringAPageOutliveTheRunsSave()
    {
        // A run writes the main list back when it ends (its page counters).
        f->state->Queue().pageInProgress = true;
        OnNextModal([](QWidget* groups) {
            Select(groups, "groups", {1});
            OnNextModal([](QWidget* rename) {
                Type(rename, "name", "Sales desk");
                ClickOk(rename);
            });
            Click(groups, "rename");
            ClickOk(groups);
        });
        QVERIFY(f->commands->ConfigureGroups());
        f->state->Pagers().Save(f->state->Files());
        f->state->Queue().pageInProgress = false;
        QCOMPARE(f->Stored("Ann").Groups, (std::vector<std::string>{"North", "Sales desk"}));
    }

    void ThePreDefinedMessagesAreAddedEditedAndDeleted()
    {
        OnNextModal([this](QWidget* editor) {
            QCOMPARE(Missing(editor, {"Edit Pre-Defined Messages", "Name", "Message for Alphanumeric Pagers",
                                      "Message for Numeric Pagers", "&New", "&Delete"}),
                     QString());
            QCOMPARE(Items(editor, "messages"), QStringList{"<new entry>"});
            Type(editor, "name", "Lunch");
            Type(editor, "alpha", "Gone to lunch\nback at 1");
            Type(editor, "numeric", "100");
            QCOMPARE(Items(editor, "messages"), QStringList{"Lunch"});
            Click(editor, "new");
            QCOMPARE(Join(Items(editor, "messages").join(','), Text(editor, "name"), Text(editor, "alpha")),
                     QString("Lunch,<new entry>||"));
            Type(editor, "name", "Fire");
            Type(editor, "alpha", "Fire drill");
            Choose(editor, "messages", "Lunch");
            QCOMPARE(Join(Text(editor, "alpha"), Text(editor, "numeric")), QString("Gone to lunch\nback at 1|100"));

            f->boxes.answers.push_back(MbAnswer::Yes);
            Click(editor, "delete");
            QCOMPARE(LastBox(), QString("Delete Message: Are you sure you want to delete the currently selected message?"));
            QCOMPARE(Join(Items(editor, "messages").join(','), Text(editor, "alpha")), QString("Fire|Fire drill"));

            // Cancel asks first; No keeps the dialog and its changes.
            ClickCancel(editor);
            QCOMPARE(LastBox(), QString("Cancel Changes: Are you sure you want to cancel all changes to the "
                                        "pre-defined message list"));
            QVERIFY(editor->isVisible());
            ClickOk(editor);
        });
        QVERIFY(f->commands->EditPredefinedMessages());
        CPredefinedMessageList stored;
        stored.Load(f->dir.File("PDM.DAT"));
        QCOMPARE(stored.messages().size(), std::size_t(1));
        QCOMPARE(Join(stored.messages()[0].Name, stored.messages()[0].AlphaText, stored.messages()[0].NumericText),
                 QString("Fire|Fire drill|"));
    }

    void ADashnoteKeepsWhatTheUserDidNotChange()
    {
        CDashnoteList file;
        *file.NewEntry() = {kFirstDashnoteId, "Caf\xE9", "Coffee", "1", {2, 99}};  // Bob, and a pager gone
        file.Save(f->dir.File("DASHNOTE.DAT"));

        OnNextModal([](QWidget* editor) {
            QCOMPARE(Missing(editor, {"Edit Dashnote Messages", "Highlight the pagers that are to receive this Dashnote."}),
                     QString());
            QCOMPARE(Items(editor, "recipients"), (QStringList{"Ann", "Bob", "Sue"}));
            QList<QListWidgetItem*> chosen = Child<QListWidget>(editor, "recipients")->selectedItems();
            QCOMPARE(chosen.size(), 1);
            QCOMPARE(chosen[0]->text(), QString("Bob"));
            Type(editor, "alpha", "Coffee is ready");
            ClickOk(editor);
        });
        QVERIFY(f->commands->ConfigureDashnotes());
        QCOMPARE(f->state->Dashnotes().messages()[0],
                 (DashnoteMessage{kFirstDashnoteId, "Caf\xE9", "Coffee is ready", "1", {2, 99}}));

        // Choosing the pagers again replaces them all.
        OnNextModal([](QWidget* editor) {
            Select(editor, "recipients", {0, 2});
            ClickOk(editor);
        });
        f->commands->ConfigureDashnotes();
        const std::vector<std::int32_t> chosen = f->state->Dashnotes().messages()[0].Recipients;
        QCOMPARE(chosen.size(), std::size_t(2));
        QCOMPARE(chosen[0], std::int32_t(1));
        QVERIFY(chosen[1] < 0);  // Sue, shared
    }

    void TwentyDashnotesAtMostAndEmptyOnesAreNotKept()
    {
        const QString longName(1000, QChar(0x00E9));  // 2,000 bytes
        OnNextModal([this, longName](QWidget* editor) {
            QCOMPARE(Items(editor, "messages"), QStringList{"<new entry>"});
            Child<QLineEdit>(editor, "name")->setText(longName);
            emit Child<QLineEdit>(editor, "name")->textEdited(longName);
            Child<QLineEdit>(editor, "name")->setModified(true);
            Type(editor, "alpha", "x");
            for (int i = 0; i < 19; ++i) Click(editor, "new");
            QCOMPARE(Items(editor, "messages").size(), 20);
            Click(editor, "new");
            QCOMPARE(LastBox(), QString("New Dashnote Message: You have reached the limit of 20 Dashnote messages."));
            QVERIFY(f->boxes.shown.back().icon == MbIcon::Warning);
            QCOMPARE(Items(editor, "messages").size(), 20);
            ClickOk(editor);
        });
        QVERIFY(f->commands->ConfigureDashnotes());
        QCOMPARE(f->state->Dashnotes().messages().size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(f->state->Dashnotes().messages()[0].Name), longName);
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::GroupsMessagesTest)
#include "groups_messages_test.moc"
