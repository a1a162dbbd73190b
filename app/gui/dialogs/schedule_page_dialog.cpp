#include "app/gui/dialogs/schedule_page_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/gui/dialogs/message_fields.h"
#include "app/gui/dialogs/qt_text.h"

namespace corvane {
namespace {

QLineEdit* Box(const QString& text, const char* name, int width, QWidget* parent)
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setMaximumWidth(width);
    return box;
}

}  // namespace

CSchedulePageDialog::CSchedulePageDialog(const SchedulePageSetup& setup,
                                         std::function<bool(const ScheduleFields&)> schedule, QWidget* parent)
    : QDialog(parent), m_setup(setup), m_schedule(std::move(schedule))
{
    setWindowTitle(kSchedulePageTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &CSchedulePageDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSchedulePageDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(BuildDate());
    top->addWidget(BuildRepeat());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(BuildMessage());
    layout->addWidget(buttons);

    UpdateRepeat();
    m_month->setFocus();
}

CSchedulePageDialog::~CSchedulePageDialog() = default;

QWidget* CSchedulePageDialog::BuildDate()
{
    const ScheduleFields& f = m_setup.initial;
    auto* frame = new QGroupBox("Send Date", this);
    m_month = Box(ToQt(f.month), "month", 40, frame);
    m_day = Box(ToQt(f.day), "day", 40, frame);
    m_year = Box(ToQt(f.year), "year", 40, frame);
    m_time = Box(ToQt(f.time), "time", 80, frame);
    auto* date = new QHBoxLayout;
    date->addWidget(m_month);
    date->addWidget(new QLabel("/", frame));
    date->addWidget(m_day);
    date->addWidget(new QLabel("/", frame));
    date->addWidget(m_year);
    date->addStretch();
    auto* grid = new QGridLayout(frame);
    grid->addWidget(new QLabel("Date (mm/dd/yy)", frame), 0, 0);
    grid->addLayout(date, 0, 1);
    auto* timeLabel = new QLabel("Time", frame);
    timeLabel->setBuddy(m_time);
    grid->addWidget(timeLabel, 1, 0);
    grid->addWidget(m_time, 1, 1);
    m_skip = new QCheckBox(kSkipIfOffText, frame);
    m_skip->setObjectName("skip");
    m_skip->setChecked(f.skipIfMissed);
    grid->addWidget(m_skip, 2, 0, 1, 2);
    return frame;
}

QWidget* CSchedulePageDialog::BuildRepeat()
{
    static const char* const kUnitTexts[] = {"Do not repeat", "Every", "Every", "Every", "Every", "Every"};
    static const char* const kUnitNames[] = {"", "minute(s)", "hour(s)", "day(s)", "week(s)", "month(s)"};
    static const char* const kUnitObjects[] = {"once", "minutes", "hours", "days", "weeks", "months"};
    static const char* const kIntervalObjects[] = {"", "minuteInterval", "hourInterval", "dayInterval",
                                                   "weekInterval", "monthInterval"};
    const ScheduleFields& f = m_setup.initial;
    auto* frame = new QGroupBox("Repeat", this);
    auto* grid = new QGridLayout(frame);
    m_units = new QButtonGroup(this);
    for (int unit = kUnitNone; unit <= kUnitMonth; ++unit) {
        auto* radio = new QRadioButton(kUnitTexts[unit], frame);
        radio->setObjectName(kUnitObjects[unit]);
        m_units->addButton(radio, unit);
        grid->addWidget(radio, unit, 0);
        if (unit == kUnitNone) continue;
        m_intervals[static_cast<std::size_t>(unit)] = Box(ToQt(f.interval), kIntervalObjects[unit], 50, frame);
        grid->addWidget(m_intervals[static_cast<std::size_t>(unit)], unit, 1);
        grid->addWidget(new QLabel(kUnitNames[unit], frame), unit, 2);
    }
    const bool known = f.unit >= kUnitNone && f.unit <= kUnitMonth;
    m_units->button(known ? static_cast<int>(f.unit) : static_cast<int>(kUnitNone))->setChecked(true);
    m_limited = new QCheckBox("Stop after", frame);
    m_limited->setObjectName("limited");
    m_limited->setChecked(f.limited);
    m_remaining = Box(ToQt(f.remaining), "remaining", 50, frame);
    grid->addWidget(m_limited, 6, 0);
    grid->addWidget(m_remaining, 6, 1);
    grid->addWidget(new QLabel("more time(s)", frame), 6, 2);
    connect(m_units, &QButtonGroup::idClicked, this, &CSchedulePageDialog::UpdateRepeat);
    connect(m_limited, &QCheckBox::toggled, this, &CSchedulePageDialog::UpdateRepeat);
    return frame;
}

QWidget* CSchedulePageDialog::BuildMessage()
{
    auto* frame = new QGroupBox("Message", this);
    m_fields = std::make_unique<CMessageFields>(frame, m_setup.message, [this] { accept(); });
    QGridLayout* grid = m_fields->Grid();
    grid->addLayout(m_fields->HintRow(), 3, 0, 1, 2);
    frame->setLayout(grid);
    return frame;
}

void CSchedulePageDialog::UpdateRepeat()
{
    const int unit = m_units->checkedId();
    for (int u = kUnitMinute; u <= kUnitMonth; ++u) m_intervals[static_cast<std::size_t>(u)]->setEnabled(u == unit);
    m_limited->setEnabled(unit != kUnitNone);
    m_remaining->setEnabled(unit != kUnitNone && m_limited->isChecked());
}

ScheduleFields CSchedulePageDialog::Fields() const
{
    ScheduleFields f;
    f.month = FromQt(m_month->text());
    f.day = FromQt(m_day->text());
    f.year = FromQt(m_year->text());
    f.time = FromQt(m_time->text());
    f.unit = static_cast<std::int16_t>(m_units->checkedId());
    if (f.unit != kUnitNone) f.interval = FromQt(m_intervals[static_cast<std::size_t>(f.unit)]->text());
    f.limited = f.unit != kUnitNone && m_limited->isChecked();
    f.remaining = FromQt(m_remaining->text());
    f.skipIfMissed = m_skip->isChecked();
    const PromptedTexts texts = m_fields->Texts();
    f.alphaText = texts.alpha;
    f.numericText = texts.numeric;
    return f;
}

QString CSchedulePageDialog::Hint() const
{
    return m_fields->Hint();
}

void CSchedulePageDialog::accept()
{
    if (m_done || !m_schedule(Fields())) return;
    m_done = true;
    QDialog::accept();
    emit scheduled();
}

void CSchedulePageDialog::reject()
{
    if (m_done) return;
    m_done = true;
    QDialog::reject();
    emit cancelled();
}

}  // namespace corvane
