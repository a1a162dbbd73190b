#pragma once
// "Pager Configuration": the local pagers with Add, Edit, Remove and Test. It works on
// its own pager list, read from the local file only; OK saves it, Cancel forgets it.

#include <QDialog>

#include <functional>

#include "directory/pager_list.h"
#include "directory/service_list.h"

class QListWidget;
class QPushButton;

namespace corvane {

class CPagerConfigDialog final : public QDialog {
    Q_OBJECT
public:
    // test sends a test page with a pager's values (see RunTestPage).
    CPagerConfigDialog(const DataFiles& files, std::function<void(const PagerRecord&)> test,
                       QWidget* parent = nullptr);

    CPagerList& Pagers() { return m_pagers; }

public slots:
    void accept() override;

private:
    void Refresh(const std::vector<const PagerRecord*>& select = {});
    std::vector<PagerRecord*> Selected();
    // The individual dialog on record; true on OK.
    bool EditRecord(PagerRecord& record);
    void OnAdd();
    void OnEdit();
    void OnRemove();
    void OnTest();
    void UpdateButtons();

    const DataFiles& m_files;
    std::function<void(const PagerRecord&)> m_test;
    CPagerList m_pagers;
    CServiceList m_services;
    QListWidget* m_list = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_testButton = nullptr;
};

}  // namespace corvane
