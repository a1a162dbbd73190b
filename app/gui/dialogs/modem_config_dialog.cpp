#include "app/gui/dialogs/modem_config_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/gui/dialogs/qt_text.h"
#include "common/message_box.h"

namespace corvane {

namespace {

QComboBox* Combo(QWidget* parent, const char* name)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    return combo;
}

QLineEdit* Line(QWidget* parent, const char* name)
{
    auto* line = new QLineEdit(parent);
    line->setObjectName(name);
    return line;
}

// The items, and the chosen one (none when it is not among them).
void Fill(QComboBox* combo, const std::vector<std::string>& items, const std::string& chosen)
{
    QSignalBlocker block(combo);
    combo->clear();
    for (const std::string& item : items) combo->addItem(ToQt(item));
    combo->setCurrentIndex(combo->findText(ToQt(chosen), Qt::MatchExactly));
}

template <std::size_t N>
void FillFixed(QComboBox* combo, const char* const (&items)[N])
{
    for (const char* item : items) combo->addItem(item);
}

// A line device list that also takes a typed device path: a serial line the machine
// does not list (a pseudo-terminal, a device under another name) can still be chosen.
QComboBox* DeviceCombo(QWidget* parent, const char* name)
{
    QComboBox* combo = Combo(parent, name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

// The parts of the paging server's address are typed as a dotted address: a '.' moves
// on to the next part, ready to be typed over.
class CDottedAddressKeys final : public QObject {
public:
    CDottedAddressKeys(QSpinBox* next, QObject* parent) : QObject(parent), m_next(next) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->text() != ".")
            return QObject::eventFilter(watched, event);
        m_next->setFocus(Qt::OtherFocusReason);
        m_next->selectAll();
        return true;
    }

private:
    QSpinBox* m_next;
};

std::string Chosen(const QComboBox* combo)
{
    if (combo->isEditable()) return FromQt(combo->currentText().trimmed());
    return combo->currentIndex() < 0 ? std::string() : FromQt(combo->currentText());
}

}  // namespace

CModemConfigDialog::CModemConfigDialog(ISettings& settings, IMessageBox& messageBox, const CModemTypes& types,
                                       std::vector<std::string> serialDevices, QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_messageBox(messageBox),
      m_paging(types, serialDevices),
      m_monitor(types, serialDevices)
{
    setWindowTitle(kModemConfigTitle);
    m_paging.Load(settings);
    m_monitor.Load(settings);
    m_port.Load(settings);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName("pages");
    m_pages->addTab(BuildPagingPage(), "Paging");
    m_pages->addTab(BuildMonitorPage(), "Call Monitor");
    m_pages->addTab(BuildPortPage(), "Port Settings");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &CModemConfigDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CModemConfigDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);
    ShowPaging();
    ShowMonitor();
    ShowPort();
}

QWidget* CModemConfigDialog::BuildPagingPage()
{
    auto* page = new QWidget(this);
    m_pagingLine = DeviceCombo(page, "pagingLine");
    m_pagingLine->setToolTip("A serial device, or tcp:host:port for a paging terminal on the network");
    m_pagingType = Combo(page, "pagingType");
    m_pagingInit = Line(page, "pagingInit");
    auto* form = new QFormLayout;
    form->addRow("Line Device", m_pagingLine);
    form->addRow("Type", m_pagingType);
    form->addRow("Initialization", m_pagingInit);

    auto* md = new QGroupBox("Corvane/md", page);
    m_mailAddress = Line(md, "mailAddress");
    auto* mdForm = new QFormLayout(md);
    mdForm->addRow("EMail Address", m_mailAddress);

    auto* sv = new QGroupBox("Corvane/sv", page);
    auto* address = new QHBoxLayout;
    for (std::size_t i = 0; i < m_ip.size(); ++i) {
        m_ip[i] = new QSpinBox(sv);
        m_ip[i]->setObjectName(QString("ip%1").arg(i));
        m_ip[i]->setRange(0, 255);
        m_ip[i]->setButtonSymbols(QAbstractSpinBox::NoButtons);
        if (i) address->addWidget(new QLabel(".", sv));
        address->addWidget(m_ip[i]);
    }
    for (std::size_t i = 0; i + 1 < m_ip.size(); ++i)
        m_ip[i]->installEventFilter(new CDottedAddressKeys(m_ip[i + 1], m_ip[i]));
    m_ipPort = Line(sv, "ipPort");
    m_ipPort->setValidator(new QIntValidator(0, 65535, m_ipPort));
    auto* svForm = new QFormLayout(sv);
    svForm->addRow("IP Address", address);
    svForm->addRow("Port", m_ipPort);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(md);
    layout->addWidget(sv);
    layout->addStretch();

    connect(m_pagingType, &QComboBox::activated, this, [this] {
        ReadPaging();
        m_paging.ChooseType(Chosen(m_pagingType));
        ShowPaging();
    });
    return page;
}

QWidget* CModemConfigDialog::BuildMonitorPage()
{
    auto* page = new QWidget(this);
    m_monitorLine = DeviceCombo(page, "monitorLine");
    m_monitorType = Combo(page, "monitorType");
    m_monitorInit = Line(page, "monitorInit");
    auto* form = new QFormLayout(page);
    form->addRow("Line Device", m_monitorLine);
    form->addRow("Type", m_monitorType);
    form->addRow("Initialization", m_monitorInit);
    connect(m_monitorType, &QComboBox::activated, this, [this] {
        m_monitor.ChooseLineDevice(Chosen(m_monitorLine));
        m_monitor.ChooseType(Chosen(m_monitorType));
        ShowMonitor();
    });
    return page;
}

QWidget* CModemConfigDialog::BuildPortPage()
{
    auto* page = new QWidget(this);
    m_baud = Combo(page, "baudRate");
    m_wordLength = Combo(page, "wordLength");
    m_parity = Combo(page, "parity");
    m_stopBits = Combo(page, "stopBits");
    FillFixed(m_baud, kBaudChoices);
    FillFixed(m_wordLength, kWordLengthChoices);
    FillFixed(m_parity, kParityShown);
    FillFixed(m_stopBits, kStopBitChoices);
    auto* form = new QFormLayout(page);
    form->addRow("Baud Rate", m_baud);
    form->addRow("Word Length", m_wordLength);
    form->addRow("Parity", m_parity);
    form->addRow("Stop Bits", m_stopBits);
    connect(m_baud, &QComboBox::activated, this, [this](int index) { m_port.baud = index; });
    connect(m_stopBits, &QComboBox::activated, this, [this](int index) { m_port.stopBits = index; });
    connect(m_wordLength, &QComboBox::activated, this, [this](int index) {
        m_port.ChooseWordLength(index);
        ShowPort();
    });
    connect(m_parity, &QComboBox::activated, this, [this](int index) {
        m_port.ChooseParity(index);
        ShowPort();
    });
    return page;
}

void CModemConfigDialog::ShowPaging()
{
    Fill(m_pagingLine, m_paging.LineDevices(), m_paging.lineDevice);
    Fill(m_pagingType, m_paging.TypeNames(), m_paging.type);
    m_pagingInit->setText(ToQt(m_paging.init));
    m_mailAddress->setText(ToQt(m_paging.mailAddress));
    for (std::size_t i = 0; i < m_ip.size(); ++i) m_ip[i]->setValue(m_paging.ip[i]);
    m_ipPort->setText(ToQt(m_paging.ipPort));
}

void CModemConfigDialog::ReadPaging()
{
    m_paging.ChooseLineDevice(Chosen(m_pagingLine));
    m_paging.init = FromQt(m_pagingInit->text());
    m_paging.mailAddress = FromQt(m_mailAddress->text());
    for (std::size_t i = 0; i < m_ip.size(); ++i) m_paging.ip[i] = m_ip[i]->value();
    m_paging.ipPort = FromQt(m_ipPort->text());
}

void CModemConfigDialog::ShowMonitor()
{
    Fill(m_monitorLine, m_monitor.LineDevices(), m_monitor.lineDevice);
    Fill(m_monitorType, m_monitor.TypeNames(), m_monitor.type);
    m_monitorInit->setText(ToQt(m_monitor.init));
}

void CModemConfigDialog::ShowPort()
{
    m_baud->setCurrentIndex(m_port.baud);
    m_wordLength->setCurrentIndex(m_port.wordLength);
    m_parity->setCurrentIndex(m_port.parity);
    m_stopBits->setCurrentIndex(m_port.stopBits);
}

void CModemConfigDialog::accept()
{
    ReadPaging();
    m_paging.Store(m_settings);
    m_monitor.ChooseLineDevice(Chosen(m_monitorLine));
    m_monitor.init = FromQt(m_monitorInit->text());
    m_monitor.Store(m_settings);
    m_port.Store(m_settings);
    QDialog::accept();
    if (const char* warning = m_port.Warning())
        m_messageBox.Show(warning, kPortWarningCaption, MbIcon::Warning, MbButtons::Ok);
}

}  // namespace corvane
