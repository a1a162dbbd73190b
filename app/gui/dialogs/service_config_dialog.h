#pragma once
// "Service Configuration": the local paging services with Add, Edit and Remove. OK
// carries renames and changed attributes over to the main window's pagers, drops the
// links to removed services, and saves both files.

#include <QDialog>

#include "directory/service_config.h"

class QListWidget;
class QPushButton;

namespace corvane {

class IMainView;

inline constexpr const char* kServiceConfigTitle = "Service Configuration";

class CServiceConfigDialog final : public QDialog {
    Q_OBJECT
public:
    CServiceConfigDialog(const DataFiles& files, CPagerList& mainPagers, IMainView* view, QWidget* parent = nullptr);

    CServiceConfig& Config() { return m_config; }

public slots:
    void accept() override;

private:
    void Refresh(const std::vector<const ServiceRecord*>& select = {});
    std::vector<ServiceRecord*> Selected();
    bool EditRecord(ServiceRecord& record);
    void OnAdd();
    void OnEdit();
    void OnRemove();
    void UpdateButtons();

    const DataFiles& m_files;
    CPagerList& m_mainPagers;
    IMainView* m_view;
    CServiceConfig m_config;
    QListWidget* m_list = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_remove = nullptr;
};

}  // namespace corvane
