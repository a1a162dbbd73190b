#include "app/gui/dialogs/individual_pager_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "app/gui/dialogs/qt_text.h"
#include "directory/service_config.h"
#include "settings/settings.h"

namespace corvane {

CIndividualPagerDialog::CIndividualPagerDialog(const IndividualPagerSetup& setup, QWidget* parent)
    : QDialog(parent), m_record(setup.record), m_services(setup.services), m_test(setup.test)
{
    setWindowTitle(kIndividualPagerTitle);
    m_groupChoices = GroupChoices(setup.list, m_record);
    BuildLayout(setup.settings);
    Show(ShowPagerFields(m_record, m_services));

    bool scratch = Scratch();
    for (const char* name : {"name", "pagerId"}) m_lines[name]->setEnabled(!scratch);
    for (QAbstractButton* button : m_type->buttons()) button->setEnabled(!scratch);
    m_baud->setEnabled(!scratch);
    m_groups->setEnabled(!scratch);
    m_addGroup->setEnabled(!scratch);
    m_sendPageCounter->setEnabled(!scratch);
    m_testButton->setEnabled(!scratch && m_test);
    UpdateState();
}

QLineEdit* CIndividualPagerDialog::AddLine(const char* name, PagerField field)
{
    auto* line = new QLineEdit(this);
    line->setObjectName(name);
    m_lines[name] = line;
    // textEdited comes only from the user's typing, never from the values the dialog
    // fills in itself, so only real edits can end the link to the service.
    connect(line, &QLineEdit::textEdited, this, [this, field] { OnEdited(field); });
    return line;
}

void CIndividualPagerDialog::BuildLayout(ISettings& settings)
{
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    auto* grid = new QGridLayout;
    int row = 0;

    QLineEdit* name = AddLine("name", PagerField::Other);
    connect(name, &QLineEdit::textChanged, this, &CIndividualPagerDialog::UpdateState);
    grid->addWidget(label("Name", name), row, 0);
    grid->addWidget(name, row, 1);
    m_type = new QButtonGroup(this);
    auto* typeRow = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto* button = new QRadioButton(kPagerTypeChoices[i], this);
        button->setObjectName(i == 0 ? "numeric" : "alphanumeric");
        m_type->addButton(button, i);
        typeRow->addWidget(button);
    }
    connect(m_type, &QButtonGroup::idClicked, this, [this] { OnEdited(PagerField::PagerType); });
    grid->addLayout(typeRow, row++, 2, 1, 2);

    m_service = new QComboBox(this);
    m_service->setObjectName("service");
    m_service->addItem(kNoService);
    for (const auto& service : m_services.records()) m_service->addItem(ToQt(service->Name));
    connect(m_service, &QComboBox::activated, this, &CIndividualPagerDialog::OnServiceChosen);
    grid->addWidget(label("Service", m_service), row, 0);
    grid->addWidget(m_service, row, 1);
    m_baud = new QComboBox(this);
    m_baud->setObjectName("baudRate");
    for (const char* baud : kServiceBaudRates) m_baud->addItem(baud);
    connect(m_baud, &QComboBox::activated, this, [this] { OnEdited(PagerField::BaudRate); });
    grid->addWidget(label("Baud", m_baud), row, 2);
    grid->addWidget(m_baud, row++, 3);

    QLineEdit* phone = AddLine("phoneNumber", PagerField::PhoneNumber);
    m_phoneLabel = label(kPagerPhoneLabel, phone);
    m_phoneLabel->setObjectName("phoneLabel");
    grid->addWidget(m_phoneLabel, row, 0);
    grid->addWidget(phone, row, 1);
    QLineEdit* pagerId = AddLine("pagerId", PagerField::Other);
    grid->addWidget(label("Pager ID", pagerId), row, 2);
    grid->addWidget(pagerId, row++, 3);

    struct Pause {
        const char* name;
        PagerField field;
        const char* after;
    } pauses[] = {
        {"waitForConnection", PagerField::WaitForConnection, "seconds for connection"},
        {"delayTime", PagerField::DelayTime, "seconds after dialing"},
        {"pinDelayTime", PagerField::PinDelayTime, "seconds after PIN"},
    };
    for (const Pause& pause : pauses) {
        QLineEdit* line = AddLine(pause.name, pause.field);
        grid->addWidget(label(pause.field == PagerField::WaitForConnection ? "Wait" : "Pause", line), row, 0);
        grid->addWidget(line, row, 1);
        grid->addWidget(new QLabel(pause.after, this), row++, 2, 1, 2);
    }

    QLineEdit* password = AddLine("systemPassword", PagerField::SystemPassword);
    grid->addWidget(label("Password", password), row, 0);
    grid->addWidget(password, row, 1);
    QLineEdit* separator = AddLine("separator", PagerField::Separator);
    grid->addWidget(label("Separator", separator), row, 2);
    grid->addWidget(separator, row++, 3);

    QLineEdit* length = AddLine("maximumPageLength", PagerField::MaximumPageLength);
    grid->addWidget(label("Max Page Length", length), row, 0);
    grid->addWidget(length, row, 1);
    m_sendPageCounter = new QCheckBox("Send Page Counter", this);
    m_sendPageCounter->setObjectName("sendPageCounter");
    grid->addWidget(m_sendPageCounter, row, 2);
    grid->addWidget(AddLine("pageCounter", PagerField::Other), row++, 3);

    QLineEdit* voiceOne = AddLine("voiceOne", PagerField::Other);
    grid->addWidget(label(ToQt(settings.Get(key::Voice1Label)), voiceOne), row, 0);
    grid->addWidget(voiceOne, row, 1);
    QLineEdit* voiceTwo = AddLine("voiceTwo", PagerField::Other);
    grid->addWidget(label(ToQt(settings.Get(key::Voice2Label)), voiceTwo), row, 2);
    grid->addWidget(voiceTwo, row++, 3);
    QLineEdit* data = AddLine("customData", PagerField::Other);
    grid->addWidget(label(ToQt(settings.Get(key::DataLabel)), data), row, 0);
    grid->addWidget(data, row++, 1, 1, 3);

    auto* contentBox = new QGroupBox("Page Content", this);
    auto* contentLayout = new QVBoxLayout(contentBox);
    m_content = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(kContentChoices[i], contentBox);
        button->setObjectName(QString("content%1").arg(i));
        m_content->addButton(button, i);
        contentLayout->addWidget(button);
    }
    contentLayout->addWidget(AddLine("customMessage", PagerField::Other));

    auto* groupBox = new QVBoxLayout;
    m_groups = new QListWidget(this);
    m_groups->setObjectName("groups");
    m_groups->setSelectionMode(QAbstractItemView::MultiSelection);
    auto* groupLabel = label(kGroupListLabel, m_groups);
    groupLabel->setObjectName("groupLabel");
    m_addGroup = new QPushButton("Add", this);
    m_addGroup->setObjectName("addGroup");
    connect(m_addGroup, &QPushButton::clicked, this, &CIndividualPagerDialog::OnAddGroup);
    groupBox->addWidget(groupLabel);
    groupBox->addWidget(m_groups);
    groupBox->addWidget(m_addGroup, 0, Qt::AlignLeft);

    auto* lower = new QHBoxLayout;
    lower->addWidget(contentBox);
    lower->addLayout(groupBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_testButton = buttons->addButton("Test", QDialogButtonBox::ActionRole);
    m_testButton->setObjectName("test");
    connect(m_testButton, &QPushButton::clicked, this, &CIndividualPagerDialog::OnTest);
    connect(buttons, &QDialogButtonBox::accepted, this, &CIndividualPagerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CIndividualPagerDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(lower);
    layout->addWidget(buttons);
}

void CIndividualPagerDialog::Show(const PagerFields& f)
{
    const std::pair<const char*, const std::string*> lines[] = {
        {"name", &f.name},
        {"pagerId", &f.pagerId},
        {"phoneNumber", &f.phoneNumber},
        {"waitForConnection", &f.waitForConnection},
        {"delayTime", &f.delayTime},
        {"pinDelayTime", &f.pinDelayTime},
        {"systemPassword", &f.systemPassword},
        {"separator", &f.separator},
        {"maximumPageLength", &f.maximumPageLength},
        {"pageCounter", &f.pageCounter},
        {"voiceOne", &f.voiceOne},
        {"voiceTwo", &f.voiceTwo},
        {"customData", &f.customData},
        {"customMessage", &f.customMessage},
    };
    for (const auto& [name, value] : lines) m_lines[name]->setText(ToQt(*value));

    // An exclusive group cannot be unchecked button by button: "no choice" (several
    // pagers) is shown by lifting the exclusion for a moment.
    for (QButtonGroup* group : {m_type, m_content}) {
        int chosen = group == m_type ? f.pagerType : f.content;
        group->setExclusive(false);
        for (QAbstractButton* button : group->buttons()) button->setChecked(group->id(button) == chosen);
        group->setExclusive(true);
    }
    m_service->setCurrentText(ToQt(f.service));
    m_baud->setCurrentText(ToQt(f.baudRate));
    m_sendPageCounter->setChecked(f.sendPageCounter);
    m_pagesPerCall = f.pagesPerCall;
    ShowGroups(f.groups);
    m_phoneLabel->setText(PhoneLabel(f.pagerType));
}

void CIndividualPagerDialog::ShowGroups(const std::vector<std::string>& highlighted)
{
    m_groups->clear();
    for (const std::string& group : m_groupChoices) {
        auto* item = new QListWidgetItem(ToQt(group), m_groups);
        item->setSelected(std::find(highlighted.begin(), highlighted.end(), group) != highlighted.end());
    }
}

PagerFields CIndividualPagerDialog::Collect() const
{
    PagerFields f;
    auto text = [this](const char* name) { return FromQt(m_lines.at(name)->text()); };
    f.name = text("name");
    f.pagerId = text("pagerId");
    f.phoneNumber = text("phoneNumber");
    f.waitForConnection = text("waitForConnection");
    f.delayTime = text("delayTime");
    f.pinDelayTime = text("pinDelayTime");
    f.systemPassword = text("systemPassword");
    f.separator = text("separator");
    f.maximumPageLength = text("maximumPageLength");
    f.pageCounter = text("pageCounter");
    f.voiceOne = text("voiceOne");
    f.voiceTwo = text("voiceTwo");
    f.customData = text("customData");
    f.customMessage = text("customMessage");
    f.pagerType = m_type->checkedId();
    f.content = m_content->checkedId();
    f.sendPageCounter = m_sendPageCounter->isChecked();
    f.service = FromQt(m_service->currentText());
    f.baudRate = FromQt(m_baud->currentText());
    // The names as stored, not as shown: a name in bytes that are not UTF-8 stays the same group.
    for (int i = 0; i < m_groups->count(); ++i)
        if (m_groups->item(i)->isSelected()) f.groups.push_back(m_groupChoices[static_cast<std::size_t>(i)]);
    f.pagesPerCall = m_pagesPerCall;
    return f;
}

void CIndividualPagerDialog::OnEdited(PagerField field)
{
    PagerFields f = Collect();
    EditedByUser(f, field);
    m_service->setCurrentText(ToQt(f.service));
    m_phoneLabel->setText(PhoneLabel(f.pagerType));
}

void CIndividualPagerDialog::OnServiceChosen(int)
{
    PagerFields f = Collect();
    ChooseService(f, m_services, f.service, Scratch());
    Show(f);
}

void CIndividualPagerDialog::OnAddGroup()
{
    QInputDialog ask(this);
    ask.setObjectName("addGroupDialog");
    ask.setWindowTitle(kAddGroupTitle);
    ask.setLabelText("Group Name");
    if (ask.exec() != QDialog::Accepted) return;
    PagerFields f = Collect();
    AddGroup(m_groupChoices, f, FromQt(ask.textValue().trimmed()));
    ShowGroups(f.groups);
}

void CIndividualPagerDialog::OnTest()
{
    if (m_test) m_test(ShownRecord(m_record, Collect()));
}

void CIndividualPagerDialog::UpdateState()
{
    m_ok->setEnabled(PagerOkEnabled(m_record, Collect()));
}

void CIndividualPagerDialog::accept()
{
    PagerFields f = Collect();
    if (!PagerOkEnabled(m_record, f)) return;
    ApplyPagerFields(f, m_record);
    QDialog::accept();
}

}  // namespace corvane
