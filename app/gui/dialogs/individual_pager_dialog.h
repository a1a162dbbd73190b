#pragma once
// "Individual Pager Configuration": every field of one pager, or of the scratch record
// that stands for several pagers edited together. The rules are those of
// app/core/pager_fields.h; this window shows the fields and reports the user's edits.

#include <QDialog>

#include <functional>
#include <map>
#include <vector>

#include "app/core/pager_fields.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvane {

class ISettings;

struct IndividualPagerSetup {
    PagerRecord& record;               // written on OK only
    const CPagerList& list;            // for the group names
    const CServiceList& services;      // reloaded by the caller when the dialog opens
    ISettings& settings;               // the voice and data labels
    // Test with the values shown; empty: no Test button.
    std::function<void(const PagerRecord&)> test;
};

class CIndividualPagerDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CIndividualPagerDialog(const IndividualPagerSetup& setup, QWidget* parent = nullptr);

    // The fields as they stand in the window.
    PagerFields Collect() const;

public slots:
    void accept() override;

private:
    QLineEdit* AddLine(const char* name, PagerField field);
    void BuildLayout(ISettings& settings);
    void Show(const PagerFields& fields);
    void ShowGroups(const std::vector<std::string>& highlighted);
    void OnEdited(PagerField field);
    void OnServiceChosen(int index);
    void OnAddGroup();
    void OnTest();
    void UpdateState();
    bool Scratch() const { return m_record.Code == 0; }

    PagerRecord& m_record;
    const CServiceList& m_services;
    std::function<void(const PagerRecord&)> m_test;
    std::vector<std::string> m_groupChoices;
    std::int16_t m_pagesPerCall = 9999;

    std::map<std::string, QLineEdit*> m_lines;
    QLabel* m_phoneLabel = nullptr;
    QButtonGroup* m_type = nullptr;
    QButtonGroup* m_content = nullptr;
    QComboBox* m_service = nullptr;
    QComboBox* m_baud = nullptr;
    QCheckBox* m_sendPageCounter = nullptr;
    QListWidget* m_groups = nullptr;
    QPushButton* m_addGroup = nullptr;
    QPushButton* m_testButton = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace corvane
