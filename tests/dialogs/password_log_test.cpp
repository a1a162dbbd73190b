// Configure > Password and File > Log Pages To with the Log File Warning.

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/core/password.h"
#include "app/gui/dialogs/dialog_commands.h"
#include "app/gui/dialogs/log_file_dialogs.h"
#include "tests/dialogs/dialog_fixture.h"

namespace corvane::test {

class PasswordLogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CProgramFixture> f;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<CDialogCommands> commands;

    static QPushButton* Ok(QWidget* dialog)
    {
        return Child<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok);
    }
    // The save dialog: the user types a file name and saves.
    static void PickFile(QWidget* dialog, const QString& path)
    {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        if (!files) qFatal("not the file dialog");
        auto* name = Child<QLineEdit>(files, "fileNameEdit");
        // As for a user, the dialog is the active window and the name box has the focus:
        // only then does a typed name replace the file selected in the folder view.
        QApplication::setActiveWindow(files);
        name->setFocus();
        if (!name->hasFocus()) qFatal("the file name box has no focus");
        // The whole name at once: typed key by key, the completer's list of the folder
        // would take the Return.
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    }

private slots:
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        f->Create();
        window = std::make_unique<QWidget>();
        commands = std::make_unique<CDialogCommands>(*f->state, f->MainView(), f->clock, window.get());
    }
    void cleanup()
    {
        commands.reset();
        window.reset();
        f.reset();
    }

    void thePasswordAbcIsStoredAsBcdAndGuardsFromThenOn()
    {
        OnNextModal([](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QString("Password"));
            QStringList texts = Texts(dialog);
            for (const char* text : {"Current Password", "New Password", "Confirm Password"})
                QVERIFY2(texts.contains(text), text);
            QVERIFY(!Child<QLineEdit>(dialog, "current")->isEnabled());
            QVERIFY(!Child<QLabel>(dialog, "currentLabel")->isEnabled());
            QVERIFY(Ok(dialog)->isEnabled());
            Type(dialog, "new", "abc");
            Type(dialog, "confirm", "abc");
            ClickOk(dialog);
        });
        QVERIFY(commands->ConfigurePassword());
        QCOMPARE(f->settings.Get(key::Password), std::string("bcd"));

        OnNextModal([&](QWidget* dialog) {
            QVERIFY(Child<QLineEdit>(dialog, "current")->isEnabled());
            QVERIFY(!Ok(dialog)->isEnabled());
            Type(dialog, "current", "ab");
            QVERIFY(!Ok(dialog)->isEnabled());
            Type(dialog, "current", "abc");
            QVERIFY(Ok(dialog)->isEnabled());
            Type(dialog, "new", "xyz");
            Type(dialog, "confirm", "xzy");
            ClickOk(dialog);
            QVERIFY(dialog->isVisible());  // the confirmation differs
            Type(dialog, "new", "");
            Type(dialog, "confirm", "");
            ClickOk(dialog);  // an empty password removes the protection
        });
        QVERIFY(commands->ConfigurePassword());
        QCOMPARE(f->settings.Get(key::Password), std::string());
        QVERIFY(commands->PasswordAllows());
    }

    void aNewLogFileIsCreatedAndAnExistingOneAskedAbout()
    {
        QString fresh = QString::fromStdString(f->dir.File("pages.txt"));
        OnNextModal([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QString("Log Pages To"));
            QCOMPARE(qobject_cast<QFileDialog*>(dialog)->nameFilters(), QStringList{"Text (*.txt)"});
            QCOMPARE(qobject_cast<QFileDialog*>(dialog)->acceptMode(), QFileDialog::AcceptSave);
            PickFile(dialog, fresh);
        });
        QVERIFY(commands->LogPagesTo());
        QCOMPARE(f->settings.Get(key::LogFileName), f->dir.File("pages.txt"));
        QCOMPARE(f->dir.Read("pages.txt"), std::string());

        f->dir.Write("old.txt", "03/07/01 09:05 Bob: hello\n");
        QString old = QString::fromStdString(f->dir.File("old.txt"));
        OnNextModal([&](QWidget* dialog) {
            OnNextModal([](QWidget* warning) {
                QVERIFY(Texts(warning).contains("The selected log file already exists.  What would you like do do?"));
                QVERIFY(Texts(warning).contains("Overwrite"));
                QVERIFY(Texts(warning).contains("Cancel"));
                Click(warning, "append");
            });
            PickFile(dialog, old);
        });
        QVERIFY(commands->LogPagesTo());
        QCOMPARE(f->settings.Get(key::LogFileName), f->dir.File("old.txt"));
        QCOMPARE(f->dir.Read("old.txt"), std::string("03/07/01 09:05 Bob: hello\n"));

        OnNextModal([&](QWidget* dialog) {
            OnNextModal([](QWidget* warning) { Click(warning, "overwrite"); });
            PickFile(dialog, fresh);
        });
        f->dir.Write("pages.txt", "x\n");
        QVERIFY(commands->LogPagesTo());
        QCOMPARE(f->dir.Read("pages.txt"), std::string());
        QCOMPARE(f->settings.Get(key::LogFileName), f->dir.File("pages.txt"));

        OnNextModal([&](QWidget* dialog) {
            OnNextModal([](QWidget* warning) { Click(warning, "cancel"); });
            PickFile(dialog, old);
        });
        QVERIFY(!commands->LogPagesTo());
        QCOMPARE(f->settings.Get(key::LogFileName), f->dir.File("pages.txt"));
    }

    void theCurrentFileACancelledDialogAndAWrongPasswordChangeNothing()
    {
        f->settings.Write(key::LogFileName, f->dir.File("log.txt"));
        f->dir.Write("log.txt", "kept\n");
        OnNextModal([&](QWidget* dialog) {
            PickFile(dialog, QString::fromStdString(f->dir.File("log.txt")));  // no question for the same file
        });
        QVERIFY(!commands->LogPagesTo());
        QCOMPARE(f->dir.Read("log.txt"), std::string("kept\n"));
        OnNextModal([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
        QVERIFY(!commands->LogPagesTo());

        StorePassword(f->settings, "pw");
        OnNextModal([](QWidget* ask) { ClickCancel(ask); });
        QVERIFY(!commands->LogPagesTo());
        QCOMPARE(f->settings.Get(key::LogFileName), f->dir.File("log.txt"));
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::PasswordLogTest)
#include "password_log_test.moc"
