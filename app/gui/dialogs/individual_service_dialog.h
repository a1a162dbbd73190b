#pragma once
// "Individual Service Configuration": the fields of one paging service, or of the
// scratch record of several. The rules are those of directory/service_config.h.

#include <QDialog>

#include <map>

#include "directory/service_config.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace corvane {

inline constexpr const char* kIndividualServiceTitle = "Individual Service Configuration";

class CIndividualServiceDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CIndividualServiceDialog(ServiceRecord& record, QWidget* parent = nullptr);
    ServiceFields Collect() const;

public slots:
    void accept() override;

private:
    QLineEdit* AddLine(const char* name);
    void UpdateOk();

    ServiceRecord& m_record;
    std::map<std::string, QLineEdit*> m_lines;
    QButtonGroup* m_type = nullptr;
    QComboBox* m_baud = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace corvane
