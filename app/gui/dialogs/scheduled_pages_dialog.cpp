#include "app/gui/dialogs/scheduled_pages_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/dialogs/qt_text.h"
#include "pim/schedule_firing.h"
#include "pim/schedule_list.h"

namespace corvane {
namespace {

constexpr int kFollowMs = 500;

}  // namespace

CScheduledPagesDialog::CScheduledPagesDialog(CScheduleList& schedules, const CPagerList& pagers,
                                             IMessageBox& messageBox, QWidget* parent)
    : QDialog(parent), m_schedules(schedules), m_pagers(pagers), m_messageBox(messageBox)
{
    setWindowTitle(kScheduledPagesTitle);
    m_list = new QListWidget(this);
    m_list->setObjectName("list");
    m_details = new QLabel(this);
    m_details->setObjectName("details");
    m_details->setWordWrap(true);
    m_details->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_details->setTextFormat(Qt::PlainText);
    m_details->setMinimumWidth(260);
    m_delete = new QPushButton("&Delete", this);
    m_delete->setObjectName("delete");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName("buttons");
    buttons->addButton(m_delete, QDialogButtonBox::ActionRole);

    auto* body = new QHBoxLayout;
    body->addWidget(m_list);
    body->addWidget(m_details, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_delete, &QPushButton::clicked, this, &CScheduledPagesDialog::OnDelete);
    connect(m_list, &QListWidget::currentRowChanged, this, &CScheduledPagesDialog::ShowDetails);
    // The tick goes on while the window is open and may fire a schedule meanwhile.
    m_follow.setInterval(kFollowMs);
    connect(&m_follow, &QTimer::timeout, this, &CScheduledPagesDialog::Refresh);
    m_follow.start();
    Refresh();
}

std::uint64_t CScheduledPagesDialog::SelectedId() const
{
    int row = m_list->currentRow();
    return row >= 0 && static_cast<std::size_t>(row) < m_ids.size() ? m_ids[static_cast<std::size_t>(row)] : 0;
}

void CScheduledPagesDialog::Refresh()
{
    if (m_shown && m_shownRevision == m_schedules.Revision()) return;
    const std::uint64_t selected = SelectedId();
    m_shown = true;
    m_shownRevision = m_schedules.Revision();
    QSignalBlocker block(m_list);
    m_list->clear();
    m_ids.clear();
    int row = m_schedules.Entries().empty() ? -1 : 0;
    for (const CScheduleList::Entry& entry : m_schedules.Entries()) {
        if (entry.id == selected) row = static_cast<int>(m_ids.size());
        m_ids.push_back(entry.id);
        m_list->addItem(ToQt(ScheduleListText(entry.page)));
    }
    m_list->setCurrentRow(row);
    ShowDetails();
}

void CScheduledPagesDialog::ShowDetails()
{
    const CScheduleList::Entry* entry = m_schedules.Find(SelectedId());
    m_delete->setEnabled(entry != nullptr);
    if (!entry) {
        m_details->clear();
        return;
    }
    ScheduleDescription d = DescribeSchedule(entry->page, m_pagers);
    QStringList lines;
    if (!d.alphaText.empty()) lines << "Alphanumeric message: " + ToQt(d.alphaText);
    if (!d.numericText.empty()) lines << "Numeric message: " + ToQt(d.numericText);
    for (const std::string* line : {&d.repeat, &d.count, &d.skip, &d.source})
        if (!line->empty()) lines << ToQt(*line);
    lines << "Pagers:";
    for (const std::string& name : d.pagers) lines << "    " + ToQt(name);
    m_details->setText(lines.join('\n'));
}

void CScheduledPagesDialog::OnDelete()
{
    std::uint64_t id = SelectedId();
    if (id == 0) return;
    DeleteScheduledPage(m_schedules, id, m_messageBox);
    Refresh();
}

}  // namespace corvane
