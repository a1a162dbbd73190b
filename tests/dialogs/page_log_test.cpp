// View > Page Log on hand-made logs, and the printouts of the log and the pager list
// on the program's printer, printed to PDF files and read back with pdftotext.

#include <QApplication>
#include <QFileDialog>
#include <QListView>
#include <QListWidget>
#include <QPrintDialog>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>

#include <filesystem>

#include "app/core/print_tables.h"
#include "app/gui/dialogs/page_log_dialog.h"
#include "app/gui/dialogs/print_commands.h"
#include "app/gui/dialogs/table_printer.h"
#include "tests/dialogs/dialog_checks.h"

namespace corvane::test {

namespace {

const std::string kT1 = "03/07/01 09:05AM ";
const std::string kT2 = "03/08/01 10:55PM ";

// The words of a PDF's text, one line per printed line, blanks squeezed.
QStringList PdfLines(const std::string& pdf)
{
    QProcess text;
    text.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    if (!text.waitForFinished(30000) || text.exitCode() != 0) qFatal("pdftotext failed on %s", pdf.c_str());
    QStringList lines;
    for (QString line : QString::fromUtf8(text.readAllStandardOutput()).split('\n')) {
        line = line.simplified();
        if (!line.isEmpty()) lines << line;
    }
    return lines;
}

QString PdfInfo(const std::string& pdf)
{
    QProcess info;
    info.start("pdfinfo", {QString::fromStdString(pdf)});
    info.waitForFinished(30000);
    return QString::fromUtf8(info.readAllStandardOutput());
}

}  // namespace

class PageLogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CProgramFixture> f;
    std::string pdf;

    // View > Page Log: the user types the log's name in the open dialog; then, when the
    // Page Log dialog opens, action runs on it and must close it.
    bool ViewLog(const std::string& file, std::function<void(QWidget*)> action = nullptr)
    {
        QString path = QString::fromStdString(f->dir.File(file));
        OnNextModal([this, path, action](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            QCOMPARE(Join(files->windowTitle(), files->nameFilters().join(','), files->selectedFiles().value(0)),
                     Join(QString("View Log File"), QString("Text (*.txt)"), f->dir.File("log.txt")));
            if (action) OnNextModal(action);
            QApplication::setActiveWindow(files);
            auto* name = Child<QLineEdit>(files, "fileNameEdit");
            name->setFocus();
            name->setText(path);
            QTest::keyClick(name, Qt::Key_Return);
        });
        return f->commands->ViewPageLog();
    }

    static QStringList Rows(QWidget* dialog)
    {
        QAbstractItemModel* model = Child<QListView>(dialog, "entries")->model();
        QStringList rows;
        for (int i = 0; i < model->rowCount(); ++i) rows << model->index(i, 0).data().toString();
        return rows;
    }

    static void SelectRows(QWidget* dialog, std::vector<int> rows)
    {
        auto* view = Child<QListView>(dialog, "entries");
        view->clearSelection();
        for (int row : rows)
            view->selectionModel()->setCurrentIndex(view->model()->index(row, 0), QItemSelectionModel::Select);
    }

    // Print on the print dialog that opens next, all entries or the selection.
    void OnPrintDialog(bool selection)
    {
        OnNextModal([selection](QWidget* dialog) {
            QVERIFY(qobject_cast<QPrintDialog*>(dialog));
            QVERIFY(!Child<QRadioButton>(dialog, "printSelection")->isHidden());
            if (selection) Child<QRadioButton>(dialog, "printSelection")->click();
            qobject_cast<QDialog*>(dialog)->accept();
        });
    }

    QString PrintedAtLine(const char* title) { return QString("%1 %2").arg(title, PrintedAt(f->clock.Now()).c_str()); }

private slots:
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        f->Create();
        pdf = f->dir.File("printed.pdf");
        f->commands->Printing().Printer().setOutputFileName(QString::fromStdString(pdf));
    }
    void cleanup() { f.reset(); }

    void aMissingFileIsRefused()
    {
        QVERIFY(!ViewLog("nothing.txt"));
        QCOMPARE(f->LastBox(), QString("View Page Log File Error: The selected log file does not exist."));
    }

    void theEntriesTheirMessagesAndResubmit()
    {
        f->dir.Write("errorlog.txt", "left over\n" + kT1 + "Error 5 To John: Call the desk\r\nat once\r\n" + kT1 +
                                         "no colon here\r\n" + kT2 + "Sales: Call home\r\n");
        bool ok = ViewLog("errorlog.txt", [](QWidget* dialog) {
            QCOMPARE(Missing(dialog, {"Page Log", "Date     Time                           Pager", "Message Sent", "OK",
                                      "Resubmit", "Print", "Clear", "Help"}),
                     QString());
            QCOMPARE(Rows(dialog), QStringList({"03/07/01 09:05AM Error 5 To John", "03/08/01 10:55PM Sales"}));
            SelectRows(dialog, {0});
            QCOMPARE(Text(dialog, "message"), QString("Call the desk\nat once"));
            SelectRows(dialog, {1, 0});
            Click(dialog, "resubmit");
            Click(dialog, "ok");
        });
        QVERIFY(ok);
        QCOMPARE(f->boxes.shown.size(), std::size_t{2});
        QCOMPARE(f->LastBox(),
                 QString("Resubmit Page: The page(s) have been resubmitted and will be sent once this dialog box is closed."));
        const PageRequestList expected = {{kOriginResubmitted, "John", "", "", "Call the desk\r\nat once"},
                                          {kOriginResubmitted, "Sales", "", "", "Call home"}};
        QVERIFY(f->state->Queue().requests == expected);
        QCOMPARE(f->state->Queue().sendRequest, int(kSendInteractive));
    }

    void clearLeavesAnEmptyFileOfTheSameName()
    {
        f->dir.Write("log.txt", kT1 + "Bob: hello\n");
        f->boxes.answers = {MbAnswer::Yes};
        QVERIFY(!ViewLog("log.txt", [](QWidget* dialog) {
            SelectRows(dialog, {0});
            QCOMPARE(Text(dialog, "message"), QString("hello"));
            Click(dialog, "clear");
            QCOMPARE(Rows(dialog), QStringList());
            QCOMPARE(Text(dialog, "message"), QString());
            qobject_cast<QDialog*>(dialog)->reject();
        }));
        QCOMPARE(f->LastBox(), QString("Clear Page Log: Are you sure you want to clear the log file?"));
        QVERIFY(std::filesystem::exists(f->dir.File("log.txt")));
        QCOMPARE(std::filesystem::file_size(f->dir.File("log.txt")), std::uintmax_t{0});
    }

    void largeAndDamagedLogsOpenWithoutAWidgetPerRow()
    {
        std::string log;
        for (int i = 0; i < 200000; ++i) log += kT1 + "Pager " + std::to_string(i) + ": message " + std::to_string(i) + "\n";
        std::string big(1 << 20, 'y');
        log += kT2 + "Big: " + big + "\n" + kT2 + "Bin: " + std::string("\0\x01\xff\xfe\n\x80z", 7) + "\n";
        f->dir.Write("big.txt", log);
        ViewLog("big.txt", [big](QWidget* dialog) {
            QVERIFY(dialog->findChildren<QListWidget*>().isEmpty());
            auto* view = Child<QListView>(dialog, "entries");
            QCOMPARE(view->model()->rowCount(), 200002);
            view->scrollToBottom();
            SelectRows(dialog, {199999});
            QCOMPARE(Text(dialog, "message"), QString("message 199999"));
            SelectRows(dialog, {200000});
            QCOMPARE(Text(dialog, "message").size(), qsizetype(big.size()));
            SelectRows(dialog, {200001});
            QCOMPARE(Text(dialog, "message"), QString::fromUtf8("\uFFFD\x01\uFFFD\uFFFD\n\uFFFDz"));
            Click(dialog, "ok");
        });
    }

    void printingAllTheSelectionOrNothing()
    {
        std::string log;
        for (int i = 0; i < 90; ++i) log += kT1 + "Pager " + std::to_string(i) + ": Message number " + std::to_string(i) + "\n";
        log += kT2 + "Error 5 To John: Call the desk\nat once\n";
        f->dir.Write("log.txt", log);
        ViewLog("log.txt", [this](QWidget* dialog) {
            OnPrintDialog(false);
            Click(dialog, "print");
            QStringList all = PdfLines(pdf);
            QVERIFY(PdfInfo(pdf).simplified().contains("Title: Corvane Page Log"));
            QCOMPARE(all.value(0), PrintedAtLine("Corvane Page Log"));
            QCOMPARE(all.value(1), QString("DATE TIME PAGER MESSAGE"));
            QCOMPARE(all.value(2), QString("03/07/01 09:05A Pager 0 Message number 0"));
            for (int i = 0; i < 90; ++i)
                QVERIFY(all.contains(QString("03/07/01 09:05A Pager %1 Message number %1").arg(i)));
            QVERIFY(all.contains("03/08/01 10:55P Error 5 To John Call the desk"));
            QVERIFY(all.contains("at once"));
            QCOMPARE(all.count(PrintedAtLine("Corvane Page Log")), 2);
            QCOMPARE(all.filter(QRegularExpression("^Page \\d+$")), QStringList({"Page 1", "Page 2"}));
            QCOMPARE(all.count("DATE TIME PAGER MESSAGE"), 1);

            dialog->findChild<QListView*>("entries")->clearSelection();
            OnPrintDialog(true);
            Click(dialog, "print");
            QCOMPARE(PdfLines(pdf),
                     QStringList({PrintedAtLine("Corvane Page Log"), "DATE TIME PAGER MESSAGE", "Page 1"}));

            SelectRows(dialog, {90, 3});
            OnPrintDialog(true);
            Click(dialog, "print");
            QCOMPARE(PdfLines(pdf), QStringList({PrintedAtLine("Corvane Page Log"), "DATE TIME PAGER MESSAGE",
                                                 "03/07/01 09:05A Pager 3 Message number 3",
                                                 "03/08/01 10:55P Error 5 To John Call the desk", "at once", "Page 1"}));
            QVERIFY(PdfInfo(pdf).simplified().contains("Title: Corvane Page Log"));

            std::filesystem::remove(pdf);
            OnNextModal([](QWidget* print) { qobject_cast<QDialog*>(print)->reject(); });
            Click(dialog, "print");
            QVERIFY(!std::filesystem::exists(pdf));  // cancelled: nothing printed
            Click(dialog, "ok");
        });
    }

    void aStoppedOrFailedPrintoutPrintsNothing()
    {
        std::vector<LogRowText> rows(2000, {kT1 + "Bob", "hello"});
        std::vector<std::pair<int, int>> reported;
        QPrinter& printer = f->commands->Printing().Printer();
        auto stopOnAPage = [&](int done, int total) {
            reported.emplace_back(done, total);
            return reported.size() < 6;  // four steps of measuring, then the second page
        };
        QCOMPARE(PrintTableOn(printer, PageLogTable(rows), f->clock.Now(), stopOnAPage), PrintResult::Cancelled);
        QCOMPARE(reported.size(), std::size_t{6});
        QVERIFY(reported[5].first < reported[5].second);
        QVERIFY(!std::filesystem::exists(pdf));

        printer.setOutputFileName(QString::fromStdString(f->dir.File("gone/printed.pdf")));
        f->dir.Write("log.txt", kT1 + "Bob: hello\n");
        ViewLog("log.txt", [this](QWidget* dialog) {
            OnPrintDialog(false);
            Click(dialog, "print");
            QCOMPARE(f->LastBox(), QString("Print Error: Unable to print to %1.").arg(f->dir.File("gone/printed.pdf").c_str()));
            Click(dialog, "ok");
        });
    }

    void thePagerListOfTheDemoDirectoryAndPrintSetup()
    {
        const std::filesystem::path demo = std::filesystem::path(std::getenv("CORVANE_SOURCE_DIR")) / "data/demo";
        for (const char* file : {"PAGERS.DAT", "MONITOR.DAT"})
            std::filesystem::copy_file(demo / file, f->dir.File(file), std::filesystem::copy_options::overwrite_existing);
        f->state->RereadPagers();
        f->settings.Write(key::Voice1Label, "Desk");

        OnNextModal([](QWidget* setup) {
            Child<QRadioButton>(setup, "landscape")->click();
            qobject_cast<QDialog*>(setup)->accept();
        });
        QVERIFY(f->commands->PrintSetup());
        OnNextModal([](QWidget* dialog) {
            QVERIFY(Child<QRadioButton>(dialog, "printSelection")->isHidden());
            qobject_cast<QDialog*>(dialog)->accept();
        });
        QVERIFY(f->commands->PrintPagerList());
        QCOMPARE(PdfLines(pdf),
                 QStringList({PrintedAtLine("Corvane Pager List"), "NAME NUMBER PIN Desk Home Other GROUPS",
                              "Alice Archer 5550100 1001 555-0111 555-0112 Room 101 Support",
                              "Bob Baker 5550100 1002 555-0121 555-0122 Room 102 Support, Sales",
                              "Carol Chen 5550100 1003 555-0131 Room 205 Sales",
                              "Dan Duarte 5550150 555-0141 555-0142 Van 3 Field",
                              "Erin Evans 5550160 4321 555-0151 Van 7 Field, Support",
                              "Frank Foster SNPP: 5552001 555-0161 Branch North Sales", "127.0.0.1:4444",
                              "Grace Green SNPP: 5552002 555-0171 555-0172 Branch South Field", "127.0.0.1:4444",
                              "Page 1"}));
        QRegularExpressionMatch size = QRegularExpression("Page size: +([0-9.]+) x ([0-9.]+)").match(PdfInfo(pdf));
        QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());  // landscape
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::PageLogTest)
#include "page_log_test.moc"
