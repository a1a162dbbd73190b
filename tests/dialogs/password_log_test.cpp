// Configure > Password and File > Log Pages To with the Log File Warning.

#include <QApplication>
#include <QFileDialog>

#include "app/core/password.h"
#include "tests/dialogs/dialog_checks.h"

namespace corvane::test {

class PasswordLogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CProgramFixture> f;

    // File > Log Pages To: the user types the file's name and saves, then answers the
    // Log File Warning, if it comes, with the given button. True when the name was taken.
    bool LogPagesTo(const char* file, const char* answer = nullptr)
    {
        QString path = QString::fromStdString(f->dir.File(file));
        OnNextModal([path, answer](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            QCOMPARE(Join(files->windowTitle(), files->nameFilters().join(',')), QString("Log Pages To|Text (*.txt)"));
            QCOMPARE(files->acceptMode(), QFileDialog::AcceptSave);
            if (answer)
                OnNextModal([answer](QWidget* warning) {
                    QCOMPARE(Missing(warning, {"The selected log file already exists.  What would you like do do?",
                                               "Overwrite", "Append", "Cancel"}),
                             QString());
                    Click(warning, answer);
                });
            // As for a user, the dialog is the active window and the name box has the focus:
            // only then does a typed name replace the file selected in the folder view. The
            // whole name at once: typed key by key, the completer's list would take the Return.
            QApplication::setActiveWindow(files);
            auto* name = Child<QLineEdit>(files, "fileNameEdit");
            name->setFocus();
            if (!name->hasFocus()) qFatal("the file name box has no focus");
            name->setText(path);
            QTest::keyClick(name, Qt::Key_Return);
        });
        return f->commands->LogPagesTo();
    }

private slots:
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        f->Create();
    }
    void cleanup() { f.reset(); }

    void thePasswordAbcIsStoredAsBcdAndGuardsFromThenOn()
    {
        OnNextModal([](QWidget* dialog) {
            QCOMPARE(Missing(dialog, {"Password", "Current Password", "New Password", "Confirm Password"}),
                     QString());
            QCOMPARE(EnabledOf(dialog, {"current", "currentLabel"}), QString());
            QVERIFY(OkEnabled(dialog));
            Type(dialog, "new", "abc");
            Type(dialog, "confirm", "abc");
            ClickOk(dialog);
        });
        QVERIFY(f->commands->ConfigurePassword());
        QCOMPARE(f->settings.Get(key::Password), std::string("bcd"));

        OnNextModal([](QWidget* dialog) {
            QCOMPARE(EnabledOf(dialog, {"current"}), QString("current"));
            for (auto [typed, ok] : {std::pair{"", false}, {"ab", false}, {"abc", true}}) {
                Type(dialog, "current", typed);
                QCOMPARE(OkEnabled(dialog), ok);
            }
            Type(dialog, "new", "xyz");
            Type(dialog, "confirm", "xzy");
            ClickOk(dialog);
            QVERIFY(dialog->isVisible());  // the confirmation differs
            Type(dialog, "new", "");
            Type(dialog, "confirm", "");
            ClickOk(dialog);  // an empty password removes the protection
        });
        QVERIFY(f->commands->ConfigurePassword());
        QCOMPARE(f->settings.Get(key::Password), std::string());
        QVERIFY(f->commands->PasswordAllows());
    }

    void aNewLogFileIsCreatedAndAnExistingOneAskedAbout()
    {
        QVERIFY(LogPagesTo("pages.txt"));
        QCOMPARE(f->settings.Get(key::LogFileName), f->dir.File("pages.txt"));
        QCOMPARE(f->dir.Read("pages.txt"), std::string());

        f->dir.Write("old.txt", "03/07/01 09:05 Bob: hello\n");
        QVERIFY(LogPagesTo("old.txt", "append"));
        QCOMPARE(f->settings.Get(key::LogFileName), f->dir.File("old.txt"));
        QCOMPARE(f->dir.Read("old.txt"), std::string("03/07/01 09:05 Bob: hello\n"));

        f->dir.Write("pages.txt", "x\n");
        QVERIFY(LogPagesTo("pages.txt", "overwrite"));
        QCOMPARE(f->dir.Read("pages.txt"), std::string());
        QCOMPARE(f->settings.Get(key::LogFileName), f->dir.File("pages.txt"));

        QVERIFY(!LogPagesTo("old.txt", "cancel"));
        QCOMPARE(f->settings.Get(key::LogFileName), f->dir.File("pages.txt"));
    }

    void theCurrentFileAndACancelledDialogChangeNothing()
    {
        f->dir.Write("log.txt", "kept\n");
        QVERIFY(!LogPagesTo("log.txt"));  // no question for the same file
        QCOMPARE(f->dir.Read("log.txt"), std::string("kept\n"));
        OnNextModal([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
        QVERIFY(!f->commands->LogPagesTo());
        QCOMPARE(f->settings.Get(key::LogFileName), f->dir.File("log.txt"));
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::PasswordLogTest)
#include "password_log_test.moc"
