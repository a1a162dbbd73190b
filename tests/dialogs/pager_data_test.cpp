// File > Export Pager Data and File > Import Pager Data, through their file dialogs.

#include <QApplication>
#include <QFileDialog>

#include "app/core/password.h"
#include "directory/pager_export.h"
#include "tests/dialogs/dialog_checks.h"

namespace corvane::test {

class PagerDataTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CProgramFixture> f;

    // In the file dialog that is up: the filter chosen (when given) and the name typed.
    static void ChooseFile(QWidget* dialog, const QString& title, const QString& name, const QString& filter = {})
    {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QCOMPARE(files->windowTitle(), title);
        if (!filter.isEmpty()) Choose(files, "fileTypeCombo", filter);
        QApplication::setActiveWindow(files);
        auto* box = Child<QLineEdit>(files, "fileNameEdit");
        box->setFocus();
        box->setText(name);
        QTest::keyClick(box, Qt::Key_Return);
    }
    bool Export(const QString& name, const QString& filter)
    {
        QString path = QString::fromStdString(f->dir.File(name.toStdString()));
        OnNextModal([path, filter](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            QCOMPARE(files->nameFilters(), QStringList({"Comma Delimited (*.cdf)", "Text (*.txt)"}));
            QCOMPARE(files->acceptMode(), QFileDialog::AcceptSave);
            ChooseFile(dialog, "Export Pager Data As", path, filter);
        });
        return f->commands->ExportPagerData();
    }
    bool Import(const std::string& file, const char* password = nullptr)
    {
        QString path = QString::fromStdString(f->dir.File(file));
        auto choose = [path](QWidget* dialog) {
            QCOMPARE(qobject_cast<QFileDialog*>(dialog)->nameFilters(), QStringList({"Comma Delimited (*.cdf)"}));
            ChooseFile(dialog, "Import Pager Data As", path);
        };
        if (password) {
            OnNextModal([password, choose](QWidget* ask) {
                OnNextModal(choose);
                Type(ask, "password", password);
                ClickOk(ask);
            });
        } else {
            OnNextModal(choose);
        }
        return f->commands->ImportPagerData();
    }
    QStringList Names() const
    {
        QStringList names;
        for (const auto& pager : f->state->Pagers().records()) names << QString::fromStdString(pager->UserName);
        return names;
    }

private slots:
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        f->Create();
        CPagerList list;
        f->AddPager(list, "Bob", "1");
        f->SavePagers(list);
    }
    void cleanup() { f.reset(); }

    void theChosenFilterDecidesTheFormatAndTheExtension()
    {
        QVERIFY(Export("pagers", "Text (*.txt)"));
        QCOMPARE(f->LastBox(), QString("Export Pager Data: The data was successfully exported."));
        QCOMPARE(f->dir.Read("pagers.txt").substr(0, 11), std::string("1\t\t\tBob\t\t\t\t"));
        QVERIFY(Export("pagers", "Comma Delimited (*.cdf)"));
        QCOMPARE(f->dir.Read("pagers.cdf").substr(0, 12), std::string("\"1\",\"Bob\",\"\""));
    }

    void importIsBehindThePasswordAndShowsTheNewPagersAtOnce()
    {
        f->dir.Write("more.cdf", "\"0\",\"Ann\",\"555-0100\"\r\n\"1\",\"Cy\"\r\n");
        StorePassword(f->settings, "pw");
        OnNextModal([](QWidget* ask) { ClickCancel(ask); });
        QVERIFY(!f->commands->ImportPagerData());
        QCOMPARE(Names(), QStringList({"Bob"}));

        int refreshes = f->frame.refreshes;
        QVERIFY(Import("more.cdf", "pw"));
        QCOMPARE(f->LastBox(), QString("Import Pager Data: The data was successfully imported."));
        QCOMPARE(Names(), QStringList({"Bob", "Ann", "Cy"}));
        QCOMPARE(f->frame.refreshes, refreshes + 1);
        QCOMPARE(f->Stored("Ann").PhoneNumber, std::string("555-0100"));
    }

    void aFileThatIsNotPagerDataChangesNothing()
    {
        f->dir.Write("bad.cdf", "\"1\",\"Ann\"\r\n\"1\",\"Open\r\n");
        int refreshes = f->frame.refreshes;
        QVERIFY(!Import("bad.cdf"));
        QCOMPARE(f->LastBox(), QString("Import Pager Data: Line 2 of the import file has a quoted field without its "
                                       "closing quote.  No pagers were imported."));
        QCOMPARE(Names(), QStringList({"Bob"}));
        QCOMPARE(f->frame.refreshes, refreshes);
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::PagerDataTest)
#include "pager_data_test.moc"
