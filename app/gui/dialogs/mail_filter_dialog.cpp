#include "app/gui/dialogs/mail_filter_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/gui/dialogs/qt_text.h"

namespace corvane {
namespace {

// The choices are stored as their index less one: the first choice stands for "not used".
const QStringList kFieldChoices{"<empty>", "From", "Subject", "Body", "To"};
const QStringList kComparisonChoices{"Contains", "Does Not Contain"};

template <class T>
T* Named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// Minutes as a clock shows them: "05".
class CMinuteBox final : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    QString textFromValue(int value) const override { return QString("%1").arg(value, 2, 10, QChar('0')); }
};

QCheckBox* Box(QWidget* parent, const char* text, const char* name, bool checked)
{
    auto* box = Named(new QCheckBox(text, parent), name);
    box->setChecked(checked);
    return box;
}

}  // namespace

CMailFilterDialog::CMailFilterDialog(CMailFilter& filter, QWidget* parent) : QDialog(parent), m_filter(filter)
{
    setWindowTitle(kMailFilterTitle);
    auto* buttons = Named(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this), "buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &CMailFilterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMailFilterDialog::reject);
    auto* sendTo = new QHBoxLayout;
    sendTo->addWidget(Contents());
    sendTo->addWidget(DeliveryTimes());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Conditions());
    layout->addLayout(sendTo);
    layout->addWidget(buttons);
}

QWidget* CMailFilterDialog::Conditions()
{
    auto* group = new QGroupBox("Filter Conditions", this);
    auto* grid = new QGridLayout(group);
    for (int i = 0; i < 3; ++i) {
        const auto n = static_cast<std::size_t>(i);
        const QString number = QString::number(i + 1);
        m_fields[n] = Named(new QComboBox(group), "field" + number);
        m_fields[n]->addItems(kFieldChoices);
        const int field = m_filter.fields[n];
        m_fields[n]->setCurrentIndex(field >= -1 && field < kFieldChoices.size() - 1 ? field + 1 : 0);
        m_comparisons[n] = Named(new QComboBox(group), "comparison" + number);
        m_comparisons[n]->addItems(kComparisonChoices);
        const int comparison = m_filter.comparisons[n];
        m_comparisons[n]->setCurrentIndex(comparison >= 0 && comparison < kComparisonChoices.size() ? comparison : -1);
        m_keywords[n] = Named(new QLineEdit(ToQt(m_filter.keywords[n]), group), "keyword" + number);
        // A field chosen without a comparison would never count: it contains, until told otherwise.
        QComboBox* comparisonBox = m_comparisons[n];
        connect(m_fields[n], &QComboBox::currentIndexChanged, comparisonBox, [comparisonBox](int index) {
            if (index > 0 && comparisonBox->currentIndex() < 0) comparisonBox->setCurrentIndex(0);
        });
        grid->addWidget(m_fields[n], i, 0);
        grid->addWidget(m_comparisons[n], i, 1);
        grid->addWidget(m_keywords[n], i, 2);
    }
    grid->setColumnStretch(2, 1);
    return group;
}

QWidget* CMailFilterDialog::Contents()
{
    auto* column = new QWidget(this);
    auto* alpha = new QGroupBox("Send to Alpha", column);
    m_includeFrom = Box(alpha, "From Address", "includeFrom", m_filter.includeFrom != 0);
    m_includeSubject = Box(alpha, "Subject", "includeSubject", m_filter.includeSubject != 0);
    m_includeBody = Box(alpha, "Message Body", "includeBody", m_filter.includeBody != 0);
    m_maximumPages = Named(new QLineEdit(QString::number(m_filter.maximumPages), alpha), "maximumPages");
    auto* pages = new QHBoxLayout;
    pages->addWidget(new QLabel("Maximum pages", alpha));
    pages->addWidget(m_maximumPages);
    auto* alphaLayout = new QVBoxLayout(alpha);
    // Each box as wide as its text: a click beside it does not tick it.
    for (QCheckBox* box : {m_includeFrom, m_includeSubject, m_includeBody}) alphaLayout->addWidget(box, 0, Qt::AlignLeft);
    alphaLayout->addLayout(pages);

    auto* numeric = new QGroupBox("Send to Numeric", column);
    m_code = Named(new QLineEdit(ToQt(m_filter.code), numeric), "code");
    auto* numericLayout = new QHBoxLayout(numeric);
    numericLayout->addWidget(new QLabel("Code", numeric));
    numericLayout->addWidget(m_code);

    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(alpha);
    layout->addWidget(numeric);
    return column;
}

QWidget* CMailFilterDialog::DeliveryTimes()
{
    auto* group = new QGroupBox("Delivery Times", this);
    m_weekends = Box(group, "Weekends", "weekends", m_filter.weekendsOff == 0);
    m_weekdays = Box(group, "Weekdays", "weekdays", m_filter.weekdaysOff == 0);
    auto* grid = new QGridLayout(group);
    grid->addWidget(m_weekdays, 0, 0, 1, 4, Qt::AlignLeft);
    grid->addWidget(m_weekends, 1, 0, 1, 4, Qt::AlignLeft);
    grid->addWidget(new QLabel("Between", group), 2, 0);
    m_start = AddTime("start", m_filter.windowStart);
    grid->addWidget(new QLabel("and", group), 3, 0);
    m_end = AddTime("end", m_filter.windowEnd);
    int row = 2;
    for (const TimeBoxes* time : {&m_start, &m_end}) {
        grid->addWidget(time->hour, row, 1);
        grid->addWidget(time->minute, row, 2);
        grid->addWidget(time->half, row, 3);
        ++row;
    }
    return group;
}

CMailFilterDialog::TimeBoxes CMailFilterDialog::AddTime(const char* prefix, std::int16_t minutes)
{
    const FilterTime time = FilterTimeOf(minutes);
    TimeBoxes boxes{Named(new QSpinBox(this), QString(prefix) + "Hour"), Named(new CMinuteBox(this), QString(prefix) + "Minute"),
                    Named(new QComboBox(this), QString(prefix) + "Half")};
    boxes.hour->setRange(1, 12);
    boxes.hour->setValue(time.hour);
    boxes.minute->setRange(0, 59);
    boxes.minute->setValue(time.minute);
    boxes.half->addItems({"a", "p"});
    boxes.half->setCurrentIndex(time.pm ? 1 : 0);
    return boxes;
}

void CMailFilterDialog::accept()
{
    for (std::size_t i = 0; i < 3; ++i) {
        m_filter.fields[i] = static_cast<std::int16_t>(m_fields[i]->currentIndex() - 1);
        m_filter.comparisons[i] = static_cast<std::int16_t>(m_comparisons[i]->currentIndex());  // -1 when none
        m_filter.keywords[i] = FromQt(m_keywords[i]->text());
    }
    m_filter.includeFrom = m_includeFrom->isChecked() ? 1 : 0;
    m_filter.includeSubject = m_includeSubject->isChecked() ? 1 : 0;
    m_filter.includeBody = m_includeBody->isChecked() ? 1 : 0;
    m_filter.maximumPages = FilterPageLimit(FromQt(m_maximumPages->text()));
    m_filter.code = FromQt(m_code->text());
    m_filter.weekendsOff = m_weekends->isChecked() ? 0 : -1;
    m_filter.weekdaysOff = m_weekdays->isChecked() ? 0 : -1;
    auto minutes = [](const TimeBoxes& t) {
        return FilterMinutes({t.hour->value(), t.minute->value(), t.half->currentIndex() == 1});
    };
    m_filter.windowStart = minutes(m_start);
    m_filter.windowEnd = minutes(m_end);
    QDialog::accept();
}

}  // namespace corvane
