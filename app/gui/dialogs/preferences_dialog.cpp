#include "app/gui/dialogs/preferences_dialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/gui/dialogs/qt_text.h"
#include "common/message_box.h"
#include "directory/pager_list.h"

namespace corvane {

CPreferencesDialog::CPreferencesDialog(PreferencesSetup setup, QWidget* parent)
    : QDialog(parent), m(std::move(setup))
{
    setWindowTitle(kPreferencesTitle);
    for (auto& fields : m_fields) fields = std::make_unique<CSettingFields>(m.settings);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName("pages");
    m_pages->setUsesScrollButtons(false);  // every page's tab in sight
    m_pages->addTab(BuildManualPage(), "Manual");
    m_pages->addTab(BuildDialingPage(), "Dialing");
    m_pages->addTab(BuildLoggingPage(), "Logging");
    m_pages->addTab(BuildContentPage(), "Content");
    m_pages->addTab(BuildCallPage(), "Call Monitoring");
    m_pages->addTab(BuildMailPage(), "EMail Monitoring");
    m_pages->addTab(BuildPagerDataPage(), "Pager Data");
    m_pages->addTab(BuildDisplayPage(), "Display");
    m_pages->addTab(BuildPimPage(), "PIM Monitoring");

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &CPreferencesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPreferencesDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { StoreAll(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);

    const MessageTexts texts = LoadMessages(m.messagesPath);
    for (auto& fields : m_fields) fields->Load(texts);
    ShowLabelRows();
    ShowSharedType();
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        ApplyHighlights(m_shownPage);
        m_shownPage = page;
    });
}

CPreferencesDialog::~CPreferencesDialog() = default;

// The pagers of the main window by name, highlighted when they receive the monitor's
// pages.
QListWidget* CPreferencesDialog::PagerList(QWidget* parent, const char* name, std::uint16_t flag)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const auto& pager : m.pagers.records()) {
        auto* item = new QListWidgetItem(ToQt(pager->UserName), list);
        item->setData(Qt::UserRole, static_cast<int>(pager->Code));
        item->setSelected((pager->AutoPageFlags & flag) != 0);
    }
    return list;
}

// Leaving a monitoring page (and storing it) sets or clears its bit in every listed
// pager of the main window's list; the disk sees them only when that list is saved.
void CPreferencesDialog::ApplyHighlights(int page)
{
    if (page < 0 || page >= PageCount || !m_pagerLists[page]) return;
    const QListWidget* list = m_pagerLists[page];
    std::vector<AutoPageChoice> choices;
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem* item = list->item(row);
        choices.emplace_back(static_cast<std::int16_t>(item->data(Qt::UserRole).toInt()), item->isSelected());
    }
    SetAutoPageFlag(m.pagers, m_flags[page], choices);
}

// A mail server address that the mail system could not use is refused before anything
// is stored, and its field shown.
bool CPreferencesDialog::RefuseServers()
{
    for (auto [field, problem] : {std::pair{m_imapServer, ImapServerProblem(FromQt(m_imapServer->text()))},
                                  std::pair{m_smtpServer, SmtpServerProblem(FromQt(m_smtpServer->text()))}}) {
        if (!problem) continue;
        m_pages->setCurrentIndex(Page::Mail);
        field->setFocus();
        field->selectAll();
        m.messageBox.Show(problem, kPreferencesTitle, MbIcon::Warning, MbButtons::Ok);
        return true;
    }
    return false;
}

bool CPreferencesDialog::StoreAll()
{
    if (RefuseServers()) return false;
    // Read now, so that only this dialog's texts change whatever another copy wrote.
    MessageTexts texts = LoadMessages(m.messagesPath);
    // The monitors' pages before the mail settings, the shared data and labels last.
    const Page order[] = {Page::Manual, Page::Dialing, Page::Logging, Page::Content,  Page::Call,
                          Page::Pim,    Page::Mail,    Page::PagerData, Page::Display};
    static_assert(std::size(order) == PageCount);
    for (Page page : order) {
        if (page == Page::PagerData) m_sharedPath->setText(ToQt(SharedFolderSetting(FromQt(m_sharedPath->text()))));
        m_fields[page]->Store(texts);
        ApplyHighlights(page);
    }
    if (!SaveMessages(m.messagesPath, texts))
        m.messageBox.Show("The page texts could not be saved in " + m.messagesPath + ".", kPreferencesTitle,
                          MbIcon::Warning, MbButtons::Ok);
    if (m.stored) m.stored();
    return true;
}

void CPreferencesDialog::accept()
{
    if (!StoreAll()) return;
    QDialog::accept();
}

}  // namespace corvane
