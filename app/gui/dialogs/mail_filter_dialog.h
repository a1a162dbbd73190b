#pragma once
// One mail filter edited: its three conditions, what goes to alphanumeric and numeric
// pagers, and the days and hours it is active. OK writes the fields into the filter.

#include <QDialog>

#include <array>

#include "mail/mail_filter.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace corvane {

inline constexpr const char* kMailFilterTitle = "Mail Filter";

class CMailFilterDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CMailFilterDialog(CMailFilter& filter, QWidget* parent = nullptr);

    void accept() override;

private:
    struct TimeBoxes {
        QSpinBox* hour;
        QSpinBox* minute;
        QComboBox* half;  // "a" or "p"
    };
    QWidget* Conditions();
    QWidget* Contents();
    QWidget* DeliveryTimes();
    TimeBoxes AddTime(const char* prefix, std::int16_t minutes);

    CMailFilter& m_filter;
    std::array<QComboBox*, 3> m_fields{};
    std::array<QComboBox*, 3> m_comparisons{};
    std::array<QLineEdit*, 3> m_keywords{};
    QCheckBox* m_includeFrom = nullptr;
    QCheckBox* m_includeSubject = nullptr;
    QCheckBox* m_includeBody = nullptr;
    QLineEdit* m_maximumPages = nullptr;
    QLineEdit* m_code = nullptr;
    QCheckBox* m_weekends = nullptr;
    QCheckBox* m_weekdays = nullptr;
    TimeBoxes m_start{};
    TimeBoxes m_end{};
};

}  // namespace corvane
