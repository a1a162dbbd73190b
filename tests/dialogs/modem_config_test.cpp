// Configure > Modems: the Paging, Call Monitor and Port Settings pages.

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "app/gui/dialogs/dialog_commands.h"
#include "app/gui/dialogs/modem_config_dialog.h"
#include "tests/dialogs/dialog_fixture.h"

namespace corvane::test {

class ModemConfigTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CProgramFixture> f;
    CModemTypes types;

    std::unique_ptr<CModemConfigDialog> Open()
    {
        auto dialog = std::make_unique<CModemConfigDialog>(f->settings, f->boxes, types,
                                                           std::vector<std::string>{"/dev/ttyUSB0"});
        dialog->show();
        return dialog;
    }
    static QStringList Items(QWidget* dialog, const char* name)
    {
        auto* combo = Child<QComboBox>(dialog, name);
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        return items;
    }
    static QString Shown(QWidget* dialog, const char* name) { return Child<QComboBox>(dialog, name)->currentText(); }

private slots:
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        types.Parse("Hayes Compatible,ATZ1\nDirect Connect,DIRECT\n");
    }
    void cleanup() { f.reset(); }

    void thePagesAndTheirLists()
    {
        auto dialog = Open();
        QCOMPARE(dialog->windowTitle(), QString("Modem Configuration"));
        QTabWidget* pages = dialog->Pages();
        QCOMPARE(pages->count(), 3);
        QCOMPARE(pages->tabText(0), QString("Paging"));
        QCOMPARE(pages->tabText(1), QString("Call Monitor"));
        QCOMPARE(pages->tabText(2), QString("Port Settings"));
        QStringList texts = Texts(dialog.get());
        for (const char* text : {"Line Device", "Type", "Initialization", "EMail Address", "IP Address", "Port",
                                 "Corvane/md", "Corvane/sv", "Baud Rate", "Word Length", "Parity", "Stop Bits"})
            QVERIFY2(texts.contains(text), text);
        QCOMPARE(Items(dialog.get(), "pagingLine"),
                 (QStringList{"NONE", "/dev/ttyUSB0", "Corvane/ex", "Corvane/md", "Corvane/sv"}));
        QCOMPARE(Items(dialog.get(), "monitorLine"),
                 (QStringList{"NONE", "/dev/ttyUSB0", "COM1", "COM2", "COM3", "COM4"}));
        QCOMPARE(Items(dialog.get(), "baudRate"),
                 (QStringList{"300", "1200", "2400", "9600", "14400", "24000", "28800"}));
        QCOMPARE(Items(dialog.get(), "parity"), (QStringList{"None", "Even", "Odd", "Mark"}));
        QCOMPARE(Shown(dialog.get(), "parity"), QString("Even"));
        QCOMPARE(Shown(dialog.get(), "pagingType"), QString());
        QCOMPARE(Child<QLineEdit>(dialog.get(), "pagingInit")->text(), QString("M1Q0X4E0V1S7=255"));
    }

    void theServerIsStoredAsSvAndShownByItsNameAgain()
    {
        auto dialog = Open();
        Choose(dialog.get(), "pagingLine", "Corvane/sv");
        for (int i = 0; i < 4; ++i) {
            QSpinBox* part = Child<QSpinBox>(dialog.get(), qPrintable(QString("ip%1").arg(i)));
            part->setFocus();
            part->selectAll();
            QTest::keyClicks(part, QString::number(i == 0 ? 10 : i == 3 ? 7 : 0));
        }
        Type(dialog.get(), "ipPort", "4000");
        Type(dialog.get(), "mailAddress", "gateway@example.org");
        ClickOk(dialog.get());
        QCOMPARE(f->settings.Get(key::PagePort), std::string("SV"));
        QVERIFY(f->settings.Has(SettingScope::Machine, "Modem", "PagePort"));
        QCOMPARE(f->settings.Get(key::IPAddress), std::string("167772167"));
        QCOMPARE(f->settings.Get(key::IPPort), std::string("4000"));
        QCOMPARE(f->settings.Get(key::MailAddress), std::string("gateway@example.org"));
        QVERIFY(f->boxes.shown.empty());  // 300 baud, 7-E-1: no warning

        auto again = Open();
        QCOMPARE(Shown(again.get(), "pagingLine"), QString("Corvane/sv"));
        QCOMPARE(Child<QSpinBox>(again.get(), "ip0")->value(), 10);
        QCOMPARE(Child<QSpinBox>(again.get(), "ip3")->value(), 7);
    }

    void theTypeFillsTheStringAndDirectConnectOffersTheComPorts()
    {
        auto dialog = Open();
        Choose(dialog.get(), "pagingType", "Direct Connect");
        QCOMPARE(Child<QLineEdit>(dialog.get(), "pagingInit")->text(), QString("DIRECT"));
        QVERIFY(Items(dialog.get(), "pagingLine").contains("COM3"));
        Choose(dialog.get(), "pagingLine", "COM3");
        Choose(dialog.get(), "pagingType", "Hayes Compatible");
        QCOMPARE(Child<QLineEdit>(dialog.get(), "pagingInit")->text(), QString("ATZ1"));
        QVERIFY(!Items(dialog.get(), "pagingLine").contains("COM3"));
        QCOMPARE(Shown(dialog.get(), "pagingLine"), QString("NONE"));
        Type(dialog.get(), "pagingInit", "ATZ1&C1");

        Choose(dialog.get(), "monitorType", "Hayes Compatible");
        QCOMPARE(Child<QLineEdit>(dialog.get(), "monitorInit")->text(), QString("ATZ1"));
        Choose(dialog.get(), "monitorLine", "COM2");
        ClickOk(dialog.get());
        QCOMPARE(f->settings.Get(key::PageModemType), std::string("Hayes Compatible"));
        QCOMPARE(f->settings.Get(key::PageInitializationString), std::string("ATZ1&C1"));
        QCOMPARE(f->settings.Get(key::PagePort), std::string("NONE"));
        QCOMPARE(f->settings.Get(key::MonitorPort), std::string("COM2"));
        QCOMPARE(f->settings.Get(key::MonitorModemType), std::string("Hayes Compatible"));
        QCOMPARE(f->settings.Get(key::MonitorInitializationString), std::string("ATZ1"));
    }

    void eightDataBitsClearTheParityAndGiveTheWordLengthWarning()
    {
        auto dialog = Open();
        Choose(dialog.get(), "wordLength", "8");
        QCOMPARE(Shown(dialog.get(), "parity"), QString("None"));
        ClickOk(dialog.get());
        QCOMPARE(f->settings.Get(key::PagePortWordLen), std::string("8"));
        QCOMPARE(f->settings.Get(key::PagePortParity), std::string("N"));
        QCOMPARE(f->boxes.shown.size(), std::size_t{1});
        QCOMPARE(f->boxes.shown[0].text,
                 std::string("Most paging companies require connections using word length 7, parity even, and 1 "
                             "stop bit.  Your new settings do not conform to this standard.  If you have problems "
                             "connecting, it may be due to these new settings."));
        QCOMPARE(f->boxes.shown[0].caption, std::string("Warning"));

        auto again = Open();
        Choose(again.get(), "parity", "Even");
        QCOMPARE(Shown(again.get(), "wordLength"), QString("7"));
        Choose(again.get(), "baudRate", "9600");
        ClickOk(again.get());
        QCOMPARE(f->boxes.shown.size(), std::size_t{2});
        QCOMPARE(f->boxes.shown[1].text,
                 std::string("You have changed the baud rate to a setting greater than 300 baud.  Some paging "
                             "companies support only 300 baud connections.  If you have connection problems, you "
                             "may need to revert back to a 300 baud setting."));
        QCOMPARE(f->settings.Get(key::PagePortBaud), std::string("9600"));
    }

    void aStoredValueOutsideTheListShowsEmptyAndStaysAsItWas()
    {
        f->settings.Write(key::PagePortStopBits, "1.5");
        auto dialog = Open();
        QCOMPARE(Child<QComboBox>(dialog.get(), "stopBits")->currentIndex(), -1);
        ClickCancel(dialog.get());
        auto again = Open();
        ClickOk(again.get());
        QCOMPARE(f->settings.Get(key::PagePortStopBits), std::string("1.5"));
    }

    void theMenuCommandReadsTheTypesOfTheDataDirectory()
    {
        f->dir.Write("MODEMS.DAT", "Zoom V.92,ATZ9\n");
        f->Create();
        QWidget window;
        CDialogCommands commands(*f->state, f->MainView(), f->clock, &window);
        OnNextModal([](QWidget* dialog) {
            QCOMPARE(Items(dialog, "pagingType"), QStringList{"Zoom V.92"});
            Choose(dialog, "pagingType", "Zoom V.92");
            ClickOk(dialog);
        });
        QVERIFY(commands.ConfigureModems());
        QCOMPARE(f->settings.Get(key::PageInitializationString), std::string("ATZ9"));
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::ModemConfigTest)
#include "modem_config_test.moc"
