// The nine pages of the Preferences dialog, each with the fields it stores.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <initializer_list>

#include "app/gui/dialogs/preferences_dialog.h"
#include "app/gui/dialogs/qt_text.h"
#include "common/message_box.h"
#include "directory/pager_record.h"
#include "pim/reminder_source.h"
#include "settings/mail_password.h"

namespace corvane {
namespace {

struct Named {
    const char* text;
    const char* name;
};

QCheckBox* Check(QWidget* parent, Named named)
{
    auto* box = new QCheckBox(named.text, parent);
    box->setObjectName(named.name);
    return box;
}

QLineEdit* Line(QWidget* parent, const char* name)
{
    auto* line = new QLineEdit(parent);
    line->setObjectName(name);
    return line;
}

QLineEdit* NumberLine(QWidget* parent, const char* name)
{
    QLineEdit* line = Line(parent, name);
    line->setMaximumWidth(line->fontMetrics().horizontalAdvance("00000") + 16);
    return line;
}

QPushButton* Button(QWidget* parent, const char* text, const char* name)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// Radio buttons in a group box, their ids counted from 0 in the order given.
QButtonGroup* Radios(QWidget* parent, const char* title, std::initializer_list<Named> choices)
{
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(parent);
    int id = 0;
    for (Named choice : choices) {
        auto* button = new QRadioButton(choice.text, box);
        button->setObjectName(choice.name);
        group->addButton(button, id++);
        layout->addWidget(button);
    }
    return group;
}

QWidget* BoxOf(QButtonGroup* group)
{
    return group->buttons().front()->parentWidget();
}

// "Scan the inbox every" [field] "minutes for new mail".
QHBoxLayout* Sentence(QWidget* parent, const char* before, QWidget* field, const char* after)
{
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(before, parent));
    row->addWidget(field);
    row->addWidget(new QLabel(after, parent));
    row->addStretch();
    return row;
}

QLabel* Label(QWidget* parent, const char* text)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

}  // namespace

QWidget* CPreferencesDialog::BuildManualPage()
{
    auto* page = new QWidget(this);
    auto& fields = *m_fields[Manual];
    auto* alpha = new QPlainTextEdit(page);
    alpha->setObjectName("defaultAlpha");
    alpha->setTabChangesFocus(true);
    QLineEdit* numeric = Line(page, "defaultNumeric");
    fields.Message(alpha, &MessageTexts::defaultAlpha);
    fields.Message(numeric, &MessageTexts::defaultNumeric);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel("Default Alphanumeric Message", page));
    layout->addWidget(alpha);
    layout->addWidget(new QLabel("Default Numeric Message", page));
    layout->addWidget(numeric);
    const std::pair<Named, const SettingKey*> checks[] = {
        {{"Return key sends page when entering prompted message", "promptUseReturn"}, &key::PromptUseReturn},
        {{"Confirm Page Sent", "confirmPages"}, &key::ConfirmPages},
        {{"Auto-Minimize", "autoMinimize"}, &key::AutoMinimize},
        {{"Auto-Exit", "autoExit"}, &key::AutoExit},
    };
    for (const auto& [named, setting] : checks) {
        QCheckBox* box = Check(page, named);
        fields.Check(box, *setting);
        layout->addWidget(box);
    }
    return page;
}

QWidget* CPreferencesDialog::BuildDialingPage()
{
    auto* page = new QWidget(this);
    auto& fields = *m_fields[Dialing];
    QButtonGroup* method = Radios(page, "Method", {{"Tone", "tone"}, {"Pulse", "pulse"}});
    QButtonGroup* speaker = Radios(page, "Speaker",
                                   {{"On Always", "speakerOn"}, {"On Until Connect", "speakerUntilConnect"},
                                    {"Off", "speakerOff"}});
    QLineEdit* prefix = Line(page, "dialPrefix");
    QLineEdit* retries = NumberLine(page, "retries");
    fields.Choice(method, key::DialingMethod);
    fields.Choice(speaker, key::DialingSpeaker);
    fields.Text(prefix, key::DialPrefix);
    fields.Number(retries, key::DialAttempts, kRetriesRange);

    // Where a number written "+1 (555) 123-4567" is dialled from.
    auto* location = new QGroupBox("Dialing Location", page);
    auto* locationForm = new QFormLayout(location);
    locationForm->addRow(Label(location, "Phone numbers written +country (area) number are dialled from here."));
    const std::pair<Named, const SettingKey*> places[] = {
        {{"Country Code", "countryCode"}, &key::DialCountryCode},
        {{"Area Code", "areaCode"}, &key::DialAreaCode},
        {{"Long Distance Prefix", "longDistancePrefix"}, &key::DialLongDistancePrefix},
        {{"International Prefix", "internationalPrefix"}, &key::DialInternationalPrefix},
    };
    for (const auto& [named, setting] : places) {
        QLineEdit* line = Line(location, named.name);
        fields.Text(line, *setting);
        locationForm->addRow(named.text, line);
    }

    auto* radios = new QHBoxLayout;
    radios->addWidget(BoxOf(method));
    radios->addWidget(BoxOf(speaker));
    auto* form = new QFormLayout;
    form->addRow("Dialing Prefix", prefix);
    form->addRow("Retries on failure", retries);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(radios);
    layout->addLayout(form);
    layout->addWidget(location);
    layout->addStretch();
    return page;
}

QWidget* CPreferencesDialog::BuildLoggingPage()
{
    auto* page = new QWidget(this);
    auto& fields = *m_fields[Logging];
    auto* sent = new QGroupBox("Log pages sent by", page);
    auto* sentLayout = new QVBoxLayout(sent);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(sent);
    // The boxes show the switches in force: where a key is absent, its default.
    const std::pair<Named, const SettingKey*> checks[] = {
        {{"Manual", "logManual"}, &key::LogManual},
        {{"DDE", "logDde"}, &key::LogDDE},
        {{"Call Monitor", "logCallMonitor"}, &key::LogCallMonitor},
        {{"EMail Monitor", "logMail"}, &key::LogMail},
        {{"PIM Monitor", "logPim"}, &key::LogSchedulePlus},
        {{"Log Voice Calls", "logVoice"}, &key::LogVoice},
        {{"Log Caller ID Data", "logCid"}, &key::LogCID},
    };
    int i = 0;
    for (const auto& [named, setting] : checks) {
        QCheckBox* box = Check(page, named);
        fields.Check(box, *setting);
        (i++ < 5 ? sentLayout : layout)->addWidget(box);
    }
    layout->addStretch();
    return page;
}

QWidget* CPreferencesDialog::BuildContentPage()
{
    auto* page = new QWidget(this);
    auto& fields = *m_fields[Content];
    auto* layout = new QVBoxLayout(page);
    const std::pair<Named, const SettingKey*> checks[] = {
        {{"Current Time", "contentTime"}, &key::ContentTime},
        {{"Current Date", "contentDate"}, &key::ContentDate},
        {{"Force to Upper Case", "contentCase"}, &key::ContentCase},
        {{"Reverse Order of Multiple Pages", "contentReverse"}, &key::ContentReverse},
    };
    for (const auto& [named, setting] : checks) {
        QCheckBox* box = Check(page, named);
        fields.Check(box, *setting);
        layout->addWidget(box);
    }
    QButtonGroup* format = Radios(page, "Time Format", {{"12 Hour", "hour12"}, {"24 Hour", "hour24"}});
    fields.Choice(format, key::ContentTimeFormat);
    QLineEdit* signature = Line(page, "signature");
    fields.Message(signature, &MessageTexts::signature);
    layout->addWidget(BoxOf(format));
    auto* form = new QFormLayout;
    form->addRow("Signature", signature);
    layout->addLayout(form);
    layout->addStretch();
    return page;
}

QWidget* CPreferencesDialog::BuildCallPage()
{
    auto* page = new QWidget(this);
    auto& fields = *m_fields[Call];
    QCheckBox* enable = Check(page, {"Enable Call Monitor paging when monitoring", "monitorPhone"});
    QLineEdit* rings = NumberLine(page, "numberRings");
    QLineEdit* delay = NumberLine(page, "delaySeconds");
    QLineEdit* prefix = Line(page, "callPrefix");
    fields.Check(enable, key::MonitorPhone);
    fields.Number(rings, key::NumberRings, kRingsRange);
    fields.Number(delay, key::DelaySeconds, kCallDelayRange);
    fields.Message(prefix, &MessageTexts::callPrefix);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(enable);
    layout->addLayout(Sentence(page, "Send Call Monitor page after detecting", rings, "rings"));
    layout->addLayout(Sentence(page, "Delay", delay, "seconds before sending page"));
    auto* form = new QFormLayout;
    form->addRow("Page Prefix", prefix);
    layout->addLayout(form);
    layout->addWidget(Label(page, "Highlight Pagers That Should Receive Call Monitor Pages"));
    m_pagerLists[Call] = PagerList(page, "callPagers", kAutoCallMonitor);
    m_flags[Call] = kAutoCallMonitor;
    layout->addWidget(m_pagerLists[Call]);
    return page;
}

QWidget* CPreferencesDialog::BuildMailPage()
{
    auto* page = new QWidget(this);
    auto& fields = *m_fields[Mail];
    QCheckBox* enable = Check(page, {"Enable EMail message paging when monitoring", "mailMonitor"});
    QLineEdit* minutes = NumberLine(page, "mailScanMinutes");
    QLineEdit* name = Line(page, "mailName");
    m_mailPassword = Line(page, "mailPassword");
    m_mailPassword->setEchoMode(QLineEdit::Password);
    m_imapServer = Line(page, "mailImapServer");
    m_imapServer->setPlaceholderText("imaps://mail.example.org/INBOX");
    m_smtpServer = Line(page, "mailSmtpServer");
    m_smtpServer->setPlaceholderText("smtps://mail.example.org");
    QLineEdit* sender = Line(page, "mailFromAddress");
    sender->setPlaceholderText("the Mail or Profile Name when it is an address");
    fields.Check(enable, key::MailMonitor);
    fields.Number(minutes, key::MailScanMinutes, kMailScanRange);
    fields.Text(name, key::MailName);
    // The mail layer keeps the password, scrambled.
    fields.Text(
        m_mailPassword, [this] { return ReadMailPassword(m.settings); },
        [this](const std::string& clear) { WriteMailPassword(m.settings, clear); });
    fields.Text(m_imapServer, key::MailImapServer);
    fields.Text(m_smtpServer, key::MailSmtpServer);
    fields.Text(sender, key::MailFromAddress);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(enable);
    layout->addLayout(Sentence(page, "Scan the inbox every", minutes, "minutes for new mail"));
    auto* form = new QFormLayout;
    form->addRow("Mail or Profile Name", name);
    form->addRow("Password", m_mailPassword);
    form->addRow("IMAP Server", m_imapServer);
    form->addRow("SMTP Server", m_smtpServer);
    form->addRow("Sender Address", sender);
    layout->addLayout(form);
    layout->addWidget(Label(page, "Highlight Pagers That Should Receive EMail Pages"));
    m_pagerLists[Mail] = PagerList(page, "mailPagers", kAutoMail);
    m_flags[Mail] = kAutoMail;
    layout->addWidget(m_pagerLists[Mail]);
    return page;
}

QWidget* CPreferencesDialog::BuildPagerDataPage()
{
    auto* page = new QWidget(this);
    auto& fields = *m_fields[PagerData];
    auto* format = new QGroupBox("Shared Pager Data Format", page);
    m_sharedType = new QButtonGroup(page);
    auto* inPath = new QRadioButton("Proprietary in Path", format);
    inPath->setObjectName("proprietary");
    auto* odbc = new QRadioButton("ODBC Data Source", format);
    odbc->setObjectName("odbc");
    m_sharedType->addButton(inPath, 0);
    m_sharedType->addButton(odbc, 1);
    m_sharedPath = Line(format, "pagerFilePath");
    QPushButton* browse = Button(format, "Browse...", "browsePath");
    m_dataSource = new QComboBox(format);
    m_dataSource->setObjectName("dataSource");
    m_dataSource->setEditable(true);
    m_dataSource->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& name : m.dataSources) m_dataSource->addItem(ToQt(name));
    QLineEdit* rescan = NumberLine(page, "rescanMinutes");

    fields.Choice(m_sharedType, key::SharedType);
    fields.Text(m_sharedPath, key::PagerFilePath);
    fields.Text(m_dataSource->lineEdit(), key::ODBCDataSetName);
    const char* labelNames[] = {"voice1Label", "voice2Label", "dataLabel"};
    const SettingKey* labelKeys[] = {&key::Voice1Label, &key::Voice2Label, &key::DataLabel};
    for (std::size_t i = 0; i < m_labels.size(); ++i) {
        m_labels[i] = Line(page, labelNames[i]);
        fields.Text(m_labels[i], *labelKeys[i]);
        connect(m_labels[i], &QLineEdit::textChanged, this, &CPreferencesDialog::ShowLabelRows);
    }
    fields.Number(rescan, key::PageListScanMinutes, kRescanRange);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_sharedPath);
    pathRow->addWidget(browse);
    auto* formatLayout = new QVBoxLayout(format);
    formatLayout->addWidget(inPath);
    formatLayout->addLayout(pathRow);
    formatLayout->addWidget(odbc);
    formatLayout->addWidget(m_dataSource);
    auto* labels = new QGroupBox("Labels", page);
    auto* labelForm = new QFormLayout(labels);
    labelForm->addRow("Voice 1", m_labels[0]);
    labelForm->addRow("Voice 2", m_labels[1]);
    labelForm->addRow("Other", m_labels[2]);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(format);
    layout->addWidget(labels);
    layout->addLayout(Sentence(page, "Re-scan shared data every", rescan, "minutes"));
    layout->addStretch();

    connect(m_sharedType, &QButtonGroup::idToggled, this, &CPreferencesDialog::ShowSharedType);
    connect(browse, &QPushButton::clicked, this, [this] {
        QString folder = QFileDialog::getExistingDirectory(this, "Shared Pager Data", m_sharedPath->text());
        if (!folder.isEmpty()) m_sharedPath->setText(folder);
    });
    return page;
}

QWidget* CPreferencesDialog::BuildDisplayPage()
{
    auto* page = new QWidget(this);
    auto& fields = *m_fields[Display];
    const char* rows[] = {"Name", "Phone Number", "Pager ID"};
    const SettingKey* columnKeys[] = {&key::DisplayColumn1, &key::DisplayColumn2, &key::DisplayColumn3};
    auto* columns = new QHBoxLayout;
    for (int c = 0; c < 3; ++c) {
        auto* box = new QGroupBox(QString("Column %1").arg(c + 1), page);
        auto* boxLayout = new QVBoxLayout(box);
        auto* group = new QButtonGroup(page);
        for (int r = 0; r < 6; ++r) {
            auto* button = new QRadioButton(r < 3 ? rows[r] : "", box);
            button->setObjectName(QString("column%1_%2").arg(c + 1).arg(r));
            group->addButton(button, r);
            boxLayout->addWidget(button);
            if (r >= 3) m_labelRows[static_cast<std::size_t>(r - 3)][static_cast<std::size_t>(c)] = button;
        }
        fields.Choice(group, *columnKeys[c]);
        columns->addWidget(box);
    }
    QButtonGroup* click = Radios(page, "Double-Click Action", {{"Edit Pager", "clickEdit"}, {"Send Page", "clickSend"}});
    fields.Choice(click, key::DisplayClickAction);
    QCheckBox* taskbar = Check(page, {"Taskbar button", "taskbarButton"});
    fields.Check(taskbar, key::TaskbarButton);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(columns);
    layout->addWidget(BoxOf(click));
    layout->addWidget(taskbar);
    layout->addStretch();
    return page;
}

QWidget* CPreferencesDialog::BuildPimPage()
{
    auto* page = new QWidget(this);
    auto& fields = *m_fields[Pim];
    QCheckBox* enable = Check(page, {"Enable PIM reminder paging when monitoring", "scheduleReminders"});
    QCheckBox* files = Check(page, {"Calendar files", "splusMonitor"});
    QCheckBox* server = Check(page, {"Calendar server", "outlookMonitor"});
    QLineEdit* calendarFiles = Line(page, "calendarFiles");
    calendarFiles->setPlaceholderText("an .ics file, or a folder of them");
    QPushButton* chooseFile = Button(page, "File...", "chooseCalendarFile");
    QPushButton* chooseFolder = Button(page, "Folder...", "chooseCalendarFolder");
    m_calendarUrl = Line(page, "calendarUrl");
    m_calendarUrl->setPlaceholderText("https://calendar.example.org/ann/calendar/");
    QPushButton* test = Button(page, "Test", "testCalendar");
    m_scheduleName = Line(page, "scheduleName");
    QLineEdit* minutes = NumberLine(page, "scanMinutes");
    QLineEdit* prefix = Line(page, "pimPrefix");
    fields.Check(enable, key::ScheduleReminders);
    fields.Check(files, key::SPlusMonitor);
    fields.Check(server, key::OutlookMonitor);
    fields.Text(calendarFiles, key::CalendarFiles);
    fields.Text(m_calendarUrl, key::CalendarUrl);
    fields.Text(m_scheduleName, key::ScheduleName);
    fields.Number(minutes, key::ScanMinutes, kPimScanRange);
    fields.Message(prefix, &MessageTexts::pimPrefix);

    auto* filesRow = new QHBoxLayout;
    filesRow->addWidget(calendarFiles);
    filesRow->addWidget(chooseFile);
    filesRow->addWidget(chooseFolder);
    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(m_calendarUrl);
    serverRow->addWidget(test);
    auto* form = new QFormLayout;
    form->addRow(files);
    form->addRow("File or Folder", filesRow);
    form->addRow(server);
    form->addRow("Calendar URL", serverRow);
    form->addRow("User Name", m_scheduleName);
    form->addRow(Label(page, "The calendar server takes the Password of the EMail Monitoring page."));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(enable);
    layout->addLayout(form);
    layout->addLayout(Sentence(page, "Scan the schedule every", minutes, "minutes for new reminders"));
    auto* prefixForm = new QFormLayout;
    prefixForm->addRow("Page Prefix", prefix);
    layout->addLayout(prefixForm);
    layout->addWidget(Label(page, "Highlight Pagers That Should Receive PIM Reminder Pages"));
    m_pagerLists[Pim] = PagerList(page, "pimPagers", kAutoPim);
    m_flags[Pim] = kAutoPim;
    layout->addWidget(m_pagerLists[Pim]);

    connect(chooseFile, &QPushButton::clicked, this, [this, calendarFiles] {
        QString file = QFileDialog::getOpenFileName(this, "Calendar File", calendarFiles->text(),
                                                    "Calendars (*.ics);;All files (*)");
        if (!file.isEmpty()) calendarFiles->setText(file);
    });
    connect(chooseFolder, &QPushButton::clicked, this, [this, calendarFiles] {
        QString folder = QFileDialog::getExistingDirectory(this, "Calendar Folder", calendarFiles->text());
        if (!folder.isEmpty()) calendarFiles->setText(folder);
    });
    connect(test, &QPushButton::clicked, this, &CPreferencesDialog::TestCalendar);
    return page;
}

// The Display page's last three rows are the labels of the Pager Data page, as typed.
void CPreferencesDialog::ShowLabelRows()
{
    for (std::size_t r = 0; r < m_labels.size(); ++r)
        for (QRadioButton* button : m_labelRows[r]) button->setText(m_labels[r]->text());
}

void CPreferencesDialog::ShowSharedType()
{
    const bool odbc = m_sharedType->checkedId() == 1;
    m_dataSource->setEnabled(odbc);
    m_sharedPath->setEnabled(!odbc);
    findChild<QPushButton*>("browsePath")->setEnabled(!odbc);
}

void CPreferencesDialog::TestCalendar()
{
    if (!m.testCalendar) return;
    // The window's events run while the server is asked: one test at a time.
    auto* button = findChild<QPushButton*>("testCalendar");
    button->setEnabled(false);
    setCursor(Qt::WaitCursor);
    CalendarCheck check =
        m.testCalendar(FromQt(m_calendarUrl->text()), FromQt(m_scheduleName->text()), FromQt(m_mailPassword->text()));
    unsetCursor();
    button->setEnabled(true);
    m.messageBox.Show(check.text, check.ok ? kCalendarCheckCaption : kCalendarCaption,
                      check.ok ? MbIcon::Information : MbIcon::Warning, MbButtons::Ok);
}

}  // namespace corvane
