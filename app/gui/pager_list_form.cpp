#include "app/gui/pager_list_form.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

#include "app/core/run_state.h"
#include "app/gui/dialogs/form_view.h"
#include "app/gui/dialogs/qt_text.h"
#include "app/gui/pager_table_model.h"
#include "common/decimal.h"
#include "settings/settings.h"

namespace corvane {
namespace {

QRadioButton* Radio(const QString& text, const char* name, QButtonGroup* group, int id)
{
    auto* button = new QRadioButton(text);
    button->setObjectName(name);
    group->addButton(button, id);
    return button;
}

}  // namespace

CPagerListForm::CPagerListForm(QWidget* parent) : QWidget(parent)
{
    BuildControls();
}

CPagerListForm::~CPagerListForm() = default;

void CPagerListForm::BuildControls()
{
    m_model = new CPagerTableModel(this);
    m_list = new QTreeView;
    m_list->setObjectName("pagerList");
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);  // 32,000 rows lay out without measuring each
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setIconSize(QSize(10, 12));
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setMinimumSectionSize(kMinColumnWidth);
    m_list->header()->setSectionsMovable(false);
    // The selection stays visible while the focus is in the Find box.
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    m_list->setPalette(palette);

    m_find = new QLineEdit;
    m_find->setObjectName("findBox");
    m_selectAll = new QPushButton(tr("Select &All"));
    m_selectAll->setObjectName("selectAllButton");
    m_status = new QLabel(QStringLiteral("Idle"));
    m_status->setObjectName("statusField");
    m_status->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* findLabel = new QLabel(tr("&Find"));
    findLabel->setBuddy(m_find);
    auto* statusLabel = new QLabel(tr("Paging Status"));

    auto* left = new QGridLayout;
    left->addWidget(m_list, 0, 0, 1, 3);
    left->addWidget(findLabel, 1, 0);
    left->addWidget(m_find, 1, 1);
    left->addWidget(m_selectAll, 1, 2);
    left->addWidget(statusLabel, 2, 0);
    left->addWidget(m_status, 2, 1, 1, 2);
    left->setRowStretch(0, 1);
    left->setColumnStretch(1, 1);

    // View: all pagers or the members of one group.
    m_viewGroup = new QButtonGroup(this);
    m_all = Radio(tr("A&ll"), "allButton", m_viewGroup, 0);
    m_group = Radio(tr("&Group"), "groupButton", m_viewGroup, 1);
    m_groupBox = new QComboBox;
    m_groupBox->setObjectName("groupBox");
    m_groupBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_groupBox->setMinimumContentsLength(12);
    auto* viewFrame = new QGroupBox(tr("View"));
    auto* viewLayout = new QVBoxLayout(viewFrame);
    auto* viewRow = new QHBoxLayout;
    viewRow->addWidget(m_all);
    viewRow->addWidget(m_group);
    viewLayout->addLayout(viewRow);
    viewLayout->addWidget(m_groupBox);

    m_sortGroup = new QButtonGroup(this);
    m_sortName = Radio(tr("Name"), "nameSortButton", m_sortGroup, 0);
    m_sortData = Radio(QString(), "dataSortButton", m_sortGroup, 1);
    auto* sortFrame = new QGroupBox(tr("Sort By"));
    auto* sortLayout = new QHBoxLayout(sortFrame);
    sortLayout->addWidget(m_sortName);
    sortLayout->addWidget(m_sortData);

    m_messagingGroup = new QButtonGroup(this);
    m_messaging[0] = Radio(tr("Pager Setting"), "pagerSettingButton", m_messagingGroup, 0);
    m_messaging[1] = Radio(tr("Prompt for Message"), "promptButton", m_messagingGroup, 1);
    m_messaging[2] = Radio(tr("Default Message"), "defaultMessageButton", m_messagingGroup, 2);
    auto* messageFrame = new QGroupBox(tr("Message"));
    auto* messageLayout = new QVBoxLayout(messageFrame);
    for (QRadioButton* button : m_messaging) messageLayout->addWidget(button);

    m_page = new QPushButton(tr("&Page"));
    m_page->setObjectName("pageButton");
    m_resubmit = new QPushButton(tr("&Resubmit"));
    m_resubmit->setObjectName("resubmitButton");
    m_schedule = new QPushButton(tr("&Schedule"));
    m_schedule->setObjectName("scheduleButton");
    m_cancel = new QPushButton(tr("Cancel"));
    m_cancel->setObjectName("cancelButton");
    m_cancel->setEnabled(false);
    m_voice = new QPushButton(tr("&Voice"));
    m_voice->setObjectName("voiceButton");
    m_other = new QPushButton(tr("Other"));
    m_other->setObjectName("otherButton");

    auto* right = new QVBoxLayout;
    right->addWidget(viewFrame);
    right->addWidget(sortFrame);
    right->addWidget(messageFrame);
    right->addStretch(1);
    right->addWidget(m_page);
    right->addWidget(m_voice);
    right->addWidget(m_other);
    right->addWidget(m_resubmit);
    right->addWidget(m_schedule);
    right->addWidget(m_cancel);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    connect(m_find, &QLineEdit::textChanged, this, &CPagerListForm::OnFindChanged);
    connect(m_selectAll, &QPushButton::clicked, m_list, &QTreeView::selectAll);
    connect(m_viewGroup, &QButtonGroup::idClicked, this, &CPagerListForm::OnViewChosen);
    connect(m_groupBox, &QComboBox::activated, this, &CPagerListForm::OnGroupChosen);
    connect(m_sortGroup, &QButtonGroup::idClicked, this, &CPagerListForm::OnSortChosen);
    connect(m_messagingGroup, &QButtonGroup::idClicked, this, &CPagerListForm::OnMessagingChosen);
    connect(m_cancel, &QPushButton::clicked, this, &CPagerListForm::OnCancel);
    connect(m_page, &QPushButton::clicked, this, &CPagerListForm::pageClicked);
    connect(m_resubmit, &QPushButton::clicked, this, &CPagerListForm::resubmitClicked);
    connect(m_schedule, &QPushButton::clicked, this, &CPagerListForm::scheduleClicked);
    connect(m_voice, &QPushButton::clicked, this, &CPagerListForm::voiceClicked);
    connect(m_other, &QPushButton::clicked, this, &CPagerListForm::otherClicked);
    connect(m_list, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit rowDoubleClicked(index.row());
    });
    UpdateButtons();
    setFocusProxy(m_find);
}

void CPagerListForm::Attach(ISettings& settings, CRunState& runState)
{
    m_settings = &settings;
    m_runState = &runState;
    Refresh();
    std::array<int, kListColumns> widths = ReadColumnWidths(settings);
    for (int c = 0; c < kListColumns; ++c) m_list->header()->resizeSection(c, widths[static_cast<std::size_t>(c)]);
}

void CPagerListForm::Detach()
{
    m_model->Clear();
    m_settings = nullptr;
    m_runState = nullptr;
    UpdateButtons();
}

std::array<int, kListColumns> CPagerListForm::ColumnWidths() const
{
    std::array<int, kListColumns> widths{};
    for (int c = 0; c < kListColumns; ++c) widths[static_cast<std::size_t>(c)] = m_list->header()->sectionSize(c);
    return widths;
}

void CPagerListForm::ReadChoices()
{
    bool groupView = ToInt(m_settings->Get(key::ViewMode)) == 1;
    (groupView ? m_group : m_all)->setChecked(true);
    m_groupBox->setEnabled(groupView);
    m_sortData->setText(QString::fromStdString(m_settings->Get(key::DataLabel)));
    m_other->setText(QString::fromStdString(m_settings->Get(key::DataLabel)));
    (ToInt(m_settings->Get(key::Sorting)) == 1 ? m_sortData : m_sortName)->setChecked(true);
    int messaging = ToInt(m_settings->Get(key::Messaging));
    m_messaging[static_cast<std::size_t>(messaging >= 0 && messaging <= 2 ? messaging : 0)]->setChecked(true);
}

void CPagerListForm::FillGroupBox(const std::vector<std::string>& names, const std::string& shown)
{
    // Each entry keeps the name's bytes, which the shown text cannot hold when they are
    // not UTF-8: the stored "Group" must name the group exactly.
    m_groupBox->clear();
    for (const std::string& name : names) {
        QByteArray bytes(name.data(), static_cast<qsizetype>(name.size()));
        m_groupBox->addItem(ToQtShown(name), bytes);
    }
    m_groupBox->setCurrentIndex(
        m_groupBox->findData(QByteArray(shown.data(), static_cast<qsizetype>(shown.size()))));
}

void CPagerListForm::Refresh()
{
    if (!m_settings || !m_runState) return;
    std::vector<std::pair<int, std::string>> selected;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) {
        const ListRow& row = m_model->Rows()[static_cast<std::size_t>(index.row())];
        selected.emplace_back(row.data, row.cells[0]);
    }
    ReadChoices();
    const CPagerList& pagers = m_runState->Pagers();
    std::vector<std::string> names = ShownGroupNames(pagers);
    m_choice.groupView = m_group->isChecked();
    m_choice.group = ChooseShownGroup(m_settings->Get(key::Group), names);
    m_choice.sortByData = m_sortData->isChecked();
    FillGroupBox(names, m_choice.group);
    ListColumns columns = ReadListColumns(*m_settings);
    m_model->SetRows(BuildListRows(pagers, columns, m_choice), columns);
    ReselectRows(selected);
    UpdateButtons();
}

void CPagerListForm::ReselectRows(const std::vector<std::pair<int, std::string>>& selected)
{
    if (selected.empty()) return;
    std::set<std::pair<int, std::string>> wanted(selected.begin(), selected.end());
    QItemSelection selection;
    const std::vector<ListRow>& rows = m_model->Rows();
    int start = -1;
    auto close = [&](int end) {
        if (start >= 0)
            selection.select(m_model->index(start, 0), m_model->index(end, kListColumns - 1));
        start = -1;
    };
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const ListRow& row = rows[static_cast<std::size_t>(i)];
        bool keep = wanted.count({row.data, row.cells[0]}) != 0;
        if (keep && start < 0) start = i;
        if (!keep) close(i - 1);
    }
    close(static_cast<int>(rows.size()) - 1);
    m_list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

std::vector<int> CPagerListForm::SelectedRowData() const
{
    QModelIndexList indexes = m_list->selectionModel()->selectedRows();
    std::sort(indexes.begin(), indexes.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<int> data;
    for (const QModelIndex& index : indexes) data.push_back(m_model->Rows()[static_cast<std::size_t>(index.row())].data);
    return data;
}

FormView CPagerListForm::View() const
{
    std::vector<bool> selected(m_model->Rows().size(), false);
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        selected[static_cast<std::size_t>(index.row())] = true;
    return MakeFormView(m_model->Rows(), selected, m_choice);
}

void CPagerListForm::SetStatusField(const QString& text)
{
    m_status->setText(text);
}

void CPagerListForm::SetPageInProgress(bool inProgress)
{
    m_pageInProgress = inProgress;
    UpdateButtons();
}

void CPagerListForm::SetSendState(bool messageDialogOpen, bool resubmitAvailable)
{
    m_messageDialogOpen = messageDialogOpen;
    m_resubmitAvailable = resubmitAvailable;
    UpdateButtons();
}

void CPagerListForm::UpdateButtons()
{
    // The send buttons need a row to send to, and wait for the page in progress and for
    // the open Pager Message dialog; Cancel is there only for the page in progress.
    bool sendable = !m_pageInProgress && !m_messageDialogOpen && m_model->rowCount() > 0;
    m_page->setEnabled(sendable);
    m_schedule->setEnabled(sendable);
    m_resubmit->setEnabled(sendable && m_resubmitAvailable);
    // A voice call needs the modem, not the send dialog.
    const bool dialable = !m_pageInProgress && m_model->rowCount() > 0;
    m_voice->setEnabled(dialable);
    m_other->setEnabled(dialable);
    m_cancel->setEnabled(m_pageInProgress);
}

void CPagerListForm::FocusFind()
{
    m_find->setFocus();
}

void CPagerListForm::OnFindChanged(const QString& text)
{
    // Emptying the box is no search: the selection stays as it is.
    if (text.isEmpty()) return;
    int row = m_model->FindPrefix(text);
    if (row < 0) return;
    QModelIndex index = m_model->index(row, 0);
    m_list->scrollTo(index, QAbstractItemView::EnsureVisible);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_list->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CPagerListForm::OnViewChosen(int id)
{
    if (!m_settings) return;
    m_settings->Write(key::ViewMode, id == 1 ? "1" : "0");
    Refresh();
}

void CPagerListForm::OnGroupChosen(int index)
{
    if (!m_settings || index < 0) return;
    const QByteArray bytes = m_groupBox->itemData(index).toByteArray();
    m_settings->Write(key::Group, std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    Refresh();
}

void CPagerListForm::OnSortChosen(int id)
{
    if (!m_settings) return;
    m_settings->Write(key::Sorting, id == 1 ? "1" : "0");
    Refresh();
}

void CPagerListForm::OnMessagingChosen(int id)
{
    if (!m_settings) return;
    m_settings->Write(key::Messaging, std::to_string(id));
}

void CPagerListForm::OnCancel()
{
    if (m_runState && m_pageInProgress) m_runState->CancelPage();
}

}  // namespace corvane
