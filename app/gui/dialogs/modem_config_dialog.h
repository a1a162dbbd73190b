#pragma once
// The modem configuration: the Paging, Call Monitor and Port Settings pages, kept in
// the machine scope when the dialog is confirmed. The lists and their couplings are
// those of app/core/port_choices.h.

#include <QDialog>

#include <array>
#include <string>
#include <vector>

#include "app/core/port_choices.h"

class QComboBox;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace corvane {

class IMessageBox;
class ISettings;

inline constexpr const char* kModemConfigTitle = "Modem Configuration";

class CModemConfigDialog final : public QDialog {
    Q_OBJECT
public:
    // serialDevices: the machine's serial devices (FindSerialDevices).
    CModemConfigDialog(ISettings& settings, IMessageBox& messageBox, const CModemTypes& types,
                       std::vector<std::string> serialDevices, QWidget* parent = nullptr);

    QTabWidget* Pages() const { return m_pages; }

public slots:
    void accept() override;

private:
    QWidget* BuildPagingPage();
    QWidget* BuildMonitorPage();
    QWidget* BuildPortPage();
    void ShowPaging();
    void ShowMonitor();
    void ShowPort();
    void ReadPaging();

    ISettings& m_settings;
    IMessageBox& m_messageBox;
    CPagingChoices m_paging;
    CMonitorChoices m_monitor;
    CPortSettingsChoices m_port;

    QTabWidget* m_pages = nullptr;
    QComboBox* m_pagingLine = nullptr;
    QComboBox* m_pagingType = nullptr;
    QLineEdit* m_pagingInit = nullptr;
    QLineEdit* m_mailAddress = nullptr;
    std::array<QSpinBox*, 4> m_ip{};
    QLineEdit* m_ipPort = nullptr;
    QComboBox* m_monitorLine = nullptr;
    QComboBox* m_monitorType = nullptr;
    QLineEdit* m_monitorInit = nullptr;
    QComboBox* m_baud = nullptr;
    QComboBox* m_wordLength = nullptr;
    QComboBox* m_parity = nullptr;
    QComboBox* m_stopBits = nullptr;
};

}  // namespace corvane
