// Configure > Modems: the Paging, Call Monitor and Port Settings pages.

#include <QApplication>
#include <QTabWidget>

#include "app/gui/dialogs/modem_config_dialog.h"
#include "tests/dialogs/dialog_checks.h"

namespace corvane::test {

class ModemConfigTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CProgramFixture> f;
    CModemTypes types;
    std::unique_ptr<CModemConfigDialog> dialog;

    QWidget* Open()
    {
        dialog = std::make_unique<CModemConfigDialog>(f->settings, f->boxes, types,
                                                      std::vector<std::string>{"/dev/ttyUSB0"});
        dialog->show();
        return dialog.get();
    }
    std::string Stored(const SettingKey& key) { return f->settings.Get(key); }

private slots:
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        types.Parse("Hayes Compatible,ATZ1\nDirect Connect,DIRECT\n");
    }
    void cleanup()
    {
        dialog.reset();
        f.reset();
    }

    void thePagesAndTheirLists()
    {
        QWidget* d = Open();
        QTabWidget* pages = dialog->Pages();
        QCOMPARE(Join(d->windowTitle(), pages->tabText(0), pages->tabText(1), pages->tabText(2)),
                 QString("Modem Configuration|Paging|Call Monitor|Port Settings"));
        QCOMPARE(Missing(d, {"Line Device", "Type", "Initialization", "EMail Address", "IP Address", "Port",
                             "Corvane/md", "Corvane/sv", "Baud Rate", "Word Length", "Parity", "Stop Bits"}),
                 QString());
        QCOMPARE(Items(d, "pagingLine"),
                 (QStringList{"NONE", "/dev/ttyUSB0", "Corvane/ex", "Corvane/md", "Corvane/sv"}));
        QCOMPARE(Items(d, "monitorLine"), (QStringList{"NONE", "/dev/ttyUSB0", "COM1", "COM2", "COM3", "COM4"}));
        QCOMPARE(Items(d, "baudRate"), (QStringList{"300", "1200", "2400", "9600", "14400", "24000", "28800"}));
        QCOMPARE(Items(d, "parity"), (QStringList{"None", "Even", "Odd", "Mark"}));
        QCOMPARE(Join(Text(d, "parity"), Text(d, "pagingType"), Text(d, "pagingInit")),
                 QString("Even||M1Q0X4E0V1S7=255"));
    }

    // The address is typed as a dotted one: each dot moves on to the next part.
    void theServerIsStoredAsSvInTheMachineScopeAndShownByItsNameAgain()
    {
        QWidget* d = Open();
        Choose(d, "pagingLine", "Corvane/sv");
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d));
        QSpinBox* first = Child<QSpinBox>(d, "ip0");
        first->setFocus();
        first->selectAll();
        for (QChar key : QString("10.0.0.7")) QTest::keyClicks(QApplication::focusWidget(), key);
        Type(d, "ipPort", "4000");
        Type(d, "mailAddress", "gateway@example.org");
        ClickOk(d);
        QCOMPARE(Join(Stored(key::PagePort), Stored(key::IPAddress), Stored(key::IPPort), Stored(key::MailAddress)),
                 QString("SV|167772167|4000|gateway@example.org"));
        QVERIFY(f->settings.Has(SettingScope::Machine, "Modem", "PagePort"));
        QVERIFY(f->boxes.shown.empty());  // 300 baud, 7-E-1: no warning
        d = Open();
        QCOMPARE(Join(Text(d, "pagingLine"), Text(d, "ip0"), Text(d, "ip1"), Text(d, "ip2"), Text(d, "ip3")),
                 QString("Corvane/sv|10|0|0|7"));
    }

    // A user who may not write the machine scope: the choices are kept for the user and
    // shown again, over the administrator's values.
    void aReadOnlyMachineScopeStillShowsWhatWasSaved()
    {
        f->settings.Write(key::PagePort, "COM1");
        f->settings.Write(key::PagePortBaud, "300");
        f->settings.SetMachineReadOnly(true);
        QWidget* d = Open();
        Choose(d, "pagingLine", "/dev/ttyUSB0");
        Choose(d, "baudRate", "2400");
        ClickOk(d);
        QVERIFY(f->settings.Has(SettingScope::User, "Modem", "PagePort"));
        d = Open();
        QCOMPARE(Join(Text(d, "pagingLine"), Text(d, "baudRate")), QString("/dev/ttyUSB0|2400"));
    }

    void theTypeFillsTheStringAndDirectConnectOffersTheComPorts()
    {
        QWidget* d = Open();
        Choose(d, "pagingType", "Direct Connect");
        Choose(d, "pagingLine", "COM3");
        Choose(d, "monitorType", "Hayes Compatible");
        ClickOk(d);
        QCOMPARE(Join(Stored(key::PageModemType), Stored(key::PageInitializationString), Stored(key::PagePort),
                      Stored(key::MonitorInitializationString)),
                 QString("Direct Connect|DIRECT|COM3|ATZ1"));
    }

    void theCallMonitorOffersTheCallerIdUnitsBesideTheModems()
    {
        f->settings.Write(key::MonitorModemType, "Rochelle 2802 Caller ID Unit");
        QWidget* d = Open();
        QCOMPARE(Items(d, "monitorType"), (QStringList{"Hayes Compatible", "Direct Connect",
                                                       "Rochelle ANI-323 Caller ID Unit", "Rochelle 2802 Caller ID Unit"}));
        QCOMPARE(Text(d, "monitorType"), QString("Rochelle 2802 Caller ID Unit"));
        Choose(d, "monitorType", "Rochelle ANI-323 Caller ID Unit");
        ClickOk(d);
        QCOMPARE(Stored(key::MonitorModemType), std::string("Rochelle ANI-323 Caller ID Unit"));
    }

    // A paging terminal on the network is typed in, and stays whatever modem type is chosen.
    void aTerminalOnTheNetworkIsTypedIn()
    {
        QWidget* d = Open();
        QLineEdit* line = Child<QComboBox>(d, "pagingLine")->lineEdit();
        line->selectAll();
        QTest::keyClicks(line, "tcp:pager.example.net:5000");
        Choose(d, "pagingType", "Hayes Compatible");
        ClickOk(d);
        QCOMPARE(Stored(key::PagePort), std::string("tcp:pager.example.net:5000"));
        d = Open();
        QCOMPARE(Text(d, "pagingLine"), QString("tcp:pager.example.net:5000"));
    }

    void eightDataBitsClearTheParityAndTheTwoWarnings()
    {
        QWidget* d = Open();
        Choose(d, "wordLength", "8");
        QCOMPARE(Text(d, "parity"), QString("None"));
        ClickOk(d);
        QCOMPARE(Join(Stored(key::PagePortWordLen), Stored(key::PagePortParity)), QString("8|N"));
        QCOMPARE(f->boxes.shown.size(), std::size_t{1});
        QCOMPARE(f->LastBox(),
                 QString("Warning: Most paging companies require connections using word length 7, parity even, and 1 "
                         "stop bit.  Your new settings do not conform to this standard.  If you have problems "
                         "connecting, it may be due to these new settings."));
        d = Open();
        Choose(d, "parity", "Even");
        QCOMPARE(Text(d, "wordLength"), QString("7"));
        Choose(d, "baudRate", "9600");
        ClickOk(d);
        QCOMPARE(f->boxes.shown.size(), std::size_t{2});
        QCOMPARE(f->boxes.shown[1].text,
                 std::string("You have changed the baud rate to a setting greater than 300 baud.  Some paging "
                             "companies support only 300 baud connections.  If you have connection problems, you "
                             "may need to revert back to a 300 baud setting."));
        QCOMPARE(Stored(key::PagePortBaud), std::string("9600"));
    }

    void theMenuCommandReadsTheTypesOfTheDataDirectory()
    {
        f->dir.Write("MODEMS.DAT", "Zoom V.92,ATZ9\n");
        f->Create();
        OnNextModal([](QWidget* d) {
            QCOMPARE(Items(d, "pagingType"), QStringList{"Zoom V.92"});
            Choose(d, "pagingType", "Zoom V.92");
            ClickOk(d);
        });
        QVERIFY(f->commands->ConfigureModems());
        QCOMPARE(Stored(key::PageInitializationString), std::string("ATZ9"));
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::ModemConfigTest)
#include "modem_config_test.moc"
