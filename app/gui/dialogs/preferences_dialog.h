#pragma once
// Configure > Preferences: nine pages of user settings and the MESSAGES.DAT texts, and
// the pagers that receive the monitors' pages. OK and Apply store every page; the
// caller saves the main window's pager list (the highlights reach MONITOR.DAT so) and
// reloads it when the dialog is cancelled.

#include <QDialog>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/calendar_check.h"
#include "app/gui/dialogs/setting_fields.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTabWidget;

namespace corvane {

class CPagerList;
class IMessageBox;
class ISettings;

struct PreferencesSetup {
    ISettings& settings;
    IMessageBox& messageBox;
    // The main window's pagers: the monitoring pages highlight them and set their bits.
    CPagerList& pagers;
    std::string messagesPath;  // MESSAGES.DAT
    std::vector<std::string> dataSources;  // the machine's ODBC data sources
    // The Test button of the calendar server: the address, name and password as typed.
    std::function<CalendarCheck(const std::string& url, const std::string& user, const std::string& password)>
        testCalendar;
    // After OK or Apply stored every page.
    std::function<void()> stored;
};

class CPreferencesDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CPreferencesDialog(PreferencesSetup setup, QWidget* parent = nullptr);
    ~CPreferencesDialog() override;

    QTabWidget* Pages() const { return m_pages; }
    // Every page stored, as OK and Apply do; false (and nothing stored) when a mail
    // server address was refused.
    bool StoreAll();

public slots:
    void accept() override;

private:
    // preference_pages.cpp
    QWidget* BuildManualPage();
    QWidget* BuildDialingPage();
    QWidget* BuildLoggingPage();
    QWidget* BuildContentPage();
    QWidget* BuildCallPage();
    QWidget* BuildMailPage();
    QWidget* BuildPagerDataPage();
    QWidget* BuildDisplayPage();
    QWidget* BuildPimPage();
    void ShowLabelRows();
    void ShowSharedType();
    void TestCalendar();

    // preferences_dialog.cpp
    QListWidget* PagerList(QWidget* parent, const char* name, std::uint16_t flag);
    void ApplyHighlights(int page);
    bool RefuseServers();

    enum Page { Manual, Dialing, Logging, Content, Call, Mail, PagerData, Display, Pim, PageCount };

    PreferencesSetup m;
    QTabWidget* m_pages = nullptr;
    int m_shownPage = 0;
    // Each page's fields, stored in this order.
    std::array<std::unique_ptr<CSettingFields>, PageCount> m_fields;
    // The pagers of the three monitoring pages and the bit each sets.
    std::array<QListWidget*, PageCount> m_pagerLists{};
    std::array<std::uint16_t, PageCount> m_flags{};

    QLineEdit* m_mailPassword = nullptr;
    QLineEdit* m_imapServer = nullptr;
    QLineEdit* m_smtpServer = nullptr;
    QButtonGroup* m_sharedType = nullptr;
    QLineEdit* m_sharedPath = nullptr;
    QComboBox* m_dataSource = nullptr;
    std::array<QLineEdit*, 3> m_labels{};
    std::array<std::array<QRadioButton*, 3>, 3> m_labelRows{};  // [row of a label][column]
    QLineEdit* m_calendarUrl = nullptr;
    QLineEdit* m_scheduleName = nullptr;
};

}  // namespace corvane
