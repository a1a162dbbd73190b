#include "app/gui/dialogs/individual_service_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/gui/dialogs/qt_text.h"

namespace corvane {

CIndividualServiceDialog::CIndividualServiceDialog(ServiceRecord& record, QWidget* parent)
    : QDialog(parent), m_record(record)
{
    setWindowTitle(kIndividualServiceTitle);
    auto* grid = new QGridLayout;
    auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    int row = 0;
    QLineEdit* name = AddLine("name");
    connect(name, &QLineEdit::textChanged, this, &CIndividualServiceDialog::UpdateOk);
    grid->addWidget(label("Name", name), row, 0);
    grid->addWidget(name, row, 1);
    m_type = new QButtonGroup(this);
    auto* typeRow = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto* button = new QRadioButton(i == 0 ? "Numeric" : "Alphanumeric", this);
        button->setObjectName(i == 0 ? "numeric" : "alphanumeric");
        m_type->addButton(button, i);
        typeRow->addWidget(button);
    }
    grid->addLayout(typeRow, row++, 2, 1, 2);

    QLineEdit* phone = AddLine("phoneNumber");
    grid->addWidget(label("Phone Number", phone), row, 0);
    grid->addWidget(phone, row++, 1, 1, 3);
    struct Pause {
        const char* name;
        const char* before;
        const char* after;
    } pauses[] = {
        {"waitForConnection", "Wait", "seconds for connection"},
        {"delayTime", "Pause", "seconds after dialing"},
        {"pinDelayTime", "Pause", "seconds after PIN"},
    };
    for (const Pause& pause : pauses) {
        QLineEdit* line = AddLine(pause.name);
        grid->addWidget(label(pause.before, line), row, 0);
        grid->addWidget(line, row, 1);
        grid->addWidget(new QLabel(pause.after, this), row++, 2, 1, 2);
    }
    QLineEdit* password = AddLine("systemPassword");
    grid->addWidget(label("Password", password), row, 0);
    grid->addWidget(password, row, 1);
    QLineEdit* separator = AddLine("separator");
    grid->addWidget(label("Separator", separator), row, 2);
    grid->addWidget(separator, row++, 3);
    m_baud = new QComboBox(this);
    m_baud->setObjectName("baudRate");
    for (const char* baud : kServiceBaudRates) m_baud->addItem(baud);
    grid->addWidget(label("Baud", m_baud), row, 0);
    grid->addWidget(m_baud, row, 1);
    QLineEdit* length = AddLine("maximumPageLength");
    grid->addWidget(label("Max Page Length", length), row, 2);
    grid->addWidget(length, row++, 3);
    QLineEdit* perCall = AddLine("pagesPerCall");
    grid->addWidget(label("Pages Per Call", perCall), row, 0);
    grid->addWidget(perCall, row++, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &CIndividualServiceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CIndividualServiceDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    ServiceFields f = ShowServiceFields(m_record);
    const std::pair<const char*, const std::string*> lines[] = {
        {"name", &f.name},
        {"phoneNumber", &f.phoneNumber},
        {"waitForConnection", &f.waitForConnection},
        {"delayTime", &f.delayTime},
        {"pinDelayTime", &f.pinDelayTime},
        {"systemPassword", &f.systemPassword},
        {"separator", &f.separator},
        {"maximumPageLength", &f.maximumPageLength},
        {"pagesPerCall", &f.pagesPerCall},
    };
    for (const auto& [key, value] : lines) m_lines[key]->setText(ToQt(*value));
    m_type->button(f.alphanumeric ? 1 : 0)->setChecked(true);
    m_baud->setCurrentText(ToQt(f.baudRate));

    bool scratch = m_record.Code == 0;
    name->setEnabled(!scratch);
    for (QAbstractButton* button : m_type->buttons()) button->setEnabled(!scratch);
    m_baud->setEnabled(!scratch);
    UpdateOk();
}

QLineEdit* CIndividualServiceDialog::AddLine(const char* name)
{
    auto* line = new QLineEdit(this);
    line->setObjectName(name);
    m_lines[name] = line;
    return line;
}

ServiceFields CIndividualServiceDialog::Collect() const
{
    ServiceFields f;
    auto text = [this](const char* name) { return FromQt(m_lines.at(name)->text()); };
    f.name = text("name");
    f.phoneNumber = text("phoneNumber");
    f.waitForConnection = text("waitForConnection");
    f.delayTime = text("delayTime");
    f.pinDelayTime = text("pinDelayTime");
    f.systemPassword = text("systemPassword");
    f.separator = text("separator");
    f.baudRate = FromQt(m_baud->currentText());
    f.maximumPageLength = text("maximumPageLength");
    f.pagesPerCall = text("pagesPerCall");
    f.alphanumeric = m_type->checkedId() == 1;
    return f;
}

void CIndividualServiceDialog::UpdateOk()
{
    m_ok->setEnabled(ServiceOkEnabled(m_record, Collect()));
}

void CIndividualServiceDialog::accept()
{
    ServiceFields f = Collect();
    if (!ServiceOkEnabled(m_record, f)) return;
    ApplyServiceFields(f, m_record);
    QDialog::accept();
}

}  // namespace corvane
