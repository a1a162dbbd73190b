#pragma once
// The main form that fills the frame: the pager list with its Find box, the All/Group
// view and the sort order, the message choice for pages sent from here, Select All,
// Page, Resubmit and Schedule, the paging status field and Cancel. What those buttons and
// a double-click do is the frame's: the form reports them with the rows it shows.

#include <QWidget>

#include <array>
#include <vector>

#include "app/core/prepare_send.h"
#include "app/gui/pager_rows.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;

namespace corvane {

class CPagerTableModel;
class CRunState;
class ISettings;

class CPagerListForm final : public QWidget {
    Q_OBJECT
public:
    explicit CPagerListForm(QWidget* parent = nullptr);
    ~CPagerListForm() override;

    // The settings and the run state whose pager list is shown; the columns take their
    // stored widths now. Detach forgets both (the program is shutting down).
    void Attach(ISettings& settings, CRunState& runState);
    void Detach();

    // Reads the columns, the view and the sort order again and shows the pager list
    // as it is now; the rows selected before stay selected.
    void Refresh();
    std::array<int, kListColumns> ColumnWidths() const;

    void SetStatusField(const QString& text);
    void SetPageInProgress(bool inProgress);
    // The send dialogs' part in the buttons: while the Pager Message or Schedule Page
    // dialog is open Page, Schedule and Resubmit stay disabled; Resubmit comes with Page
    // once a prompted text was sent.
    void SetSendState(bool messageDialogOpen, bool resubmitAvailable);
    void FocusFind();

    // The row data of the selected rows, in list order.
    std::vector<int> SelectedRowData() const;
    // Every row shown, in list order, with its selection, and the view they belong to.
    FormView View() const;

    QTreeView* List() const { return m_list; }
    CPagerTableModel& Model() const { return *m_model; }
    QLineEdit* FindBox() const { return m_find; }
    QLabel* StatusField() const { return m_status; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* PageButton() const { return m_page; }
    QPushButton* ResubmitButton() const { return m_resubmit; }
    QPushButton* ScheduleButton() const { return m_schedule; }
    QPushButton* VoiceButton() const { return m_voice; }
    QPushButton* OtherButton() const { return m_other; }
    QPushButton* SelectAllButton() const { return m_selectAll; }
    QRadioButton* AllButton() const { return m_all; }
    QRadioButton* GroupButton() const { return m_group; }
    QComboBox* GroupBox() const { return m_groupBox; }
    QRadioButton* NameSortButton() const { return m_sortName; }
    QRadioButton* DataSortButton() const { return m_sortData; }
    QRadioButton* MessageButton(int messaging) const { return m_messaging[static_cast<std::size_t>(messaging)]; }

signals:
    void pageClicked();
    void resubmitClicked();
    void scheduleClicked();
    // Voice dial of the selected pager's voice numbers, or of its other data.
    void voiceClicked();
    void otherClicked();
    // row: the row's position in View().
    void rowDoubleClicked(int row);

private:
    void BuildControls();
    void ReadChoices();
    void FillGroupBox(const std::vector<std::string>& names, const std::string& shown);
    void ReselectRows(const std::vector<std::pair<int, std::string>>& selected);
    void UpdateButtons();

    void OnFindChanged(const QString& text);
    void OnViewChosen(int id);
    void OnGroupChosen(int index);
    void OnSortChosen(int id);
    void OnMessagingChosen(int id);
    void OnCancel();

    ISettings* m_settings = nullptr;
    CRunState* m_runState = nullptr;
    bool m_pageInProgress = false;
    bool m_messageDialogOpen = false;
    bool m_resubmitAvailable = false;
    ListChoice m_choice;

    QTreeView* m_list = nullptr;
    CPagerTableModel* m_model = nullptr;
    QLineEdit* m_find = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_selectAll = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_page = nullptr;
    QPushButton* m_resubmit = nullptr;
    QPushButton* m_schedule = nullptr;
    QPushButton* m_voice = nullptr;
    QPushButton* m_other = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_group = nullptr;
    QComboBox* m_groupBox = nullptr;
    QRadioButton* m_sortName = nullptr;
    QRadioButton* m_sortData = nullptr;
    std::array<QRadioButton*, 3> m_messaging{};
    QButtonGroup* m_viewGroup = nullptr;
    QButtonGroup* m_sortGroup = nullptr;
    QButtonGroup* m_messagingGroup = nullptr;
};

}  // namespace corvane
