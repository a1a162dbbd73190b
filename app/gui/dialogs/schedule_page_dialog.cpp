#include "app/gui/dialogs/schedule_page_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/core/prepare_send.h"
#include "app/gui/dialogs/qt_text.h"
#include "engine/page_text.h"

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
    UpdateHint();
    m_month->setFocus();
}

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
    const PagerMessageSetup& s = m_setup.message;
    auto* frame = new QGroupBox("Message", this);
    auto* alphaLabel = new QLabel("Alphanumeric Message", frame);
    alphaLabel->setObjectName("alphaLabel");
    m_alpha = new QPlainTextEdit(frame);
    m_alpha->setObjectName("alpha");
    m_alpha->setTabChangesFocus(true);
    auto* numericLabel = new QLabel("Numeric Message", frame);
    numericLabel->setObjectName("numericLabel");
    m_numeric = new QLineEdit(frame);
    m_numeric->setObjectName("numeric");
    alphaLabel->setBuddy(m_alpha);
    numericLabel->setBuddy(m_numeric);
    auto* predefinedLabel = new QLabel("Pre-Defined", frame);
    m_predefined = new QComboBox(frame);
    m_predefined->setObjectName("predefined");
    predefinedLabel->setBuddy(m_predefined);
    for (const PredefinedMessage& message : s.predefined) m_predefined->addItem(ToQt(message.Name));
    m_predefined->setCurrentIndex(-1);
    // Without a box to fill there is nothing to choose a pre-defined message for.
    const bool offered = !s.predefined.empty() && (s.needs.alpha || s.needs.numeric);
    m_predefined->setEnabled(offered);
    predefinedLabel->setEnabled(offered);
    alphaLabel->setEnabled(s.needs.alpha);
    m_alpha->setEnabled(s.needs.alpha);
    numericLabel->setEnabled(s.needs.numeric);
    m_numeric->setEnabled(s.needs.numeric);

    m_hint = new QLabel(frame);
    m_hint->setObjectName("hint");
    auto* hintRow = new QHBoxLayout;
    hintRow->addWidget(new QLabel("It will require", frame));
    hintRow->addWidget(m_hint);
    hintRow->addWidget(new QLabel("alphanumeric message above.", frame));
    hintRow->addStretch();

    auto* grid = new QGridLayout(frame);
    grid->addWidget(predefinedLabel, 0, 0);
    grid->addWidget(m_predefined, 0, 1);
    grid->addWidget(alphaLabel, 1, 0, Qt::AlignTop);
    grid->addWidget(m_alpha, 1, 1);
    grid->addWidget(numericLabel, 2, 0);
    grid->addWidget(m_numeric, 2, 1);
    grid->addLayout(hintRow, 3, 0, 1, 2);

    connect(m_alpha, &QPlainTextEdit::textChanged, this, &CSchedulePageDialog::OnAlphaChanged);
    connect(m_predefined, &QComboBox::activated, this, &CSchedulePageDialog::OnPredefinedChosen);
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
    f.alphaText = FromQt(m_alpha->toPlainText());
    f.numericText = FromQt(m_numeric->text());
    return f;
}

QString CSchedulePageDialog::Hint() const
{
    return m_hint->text();
}

void CSchedulePageDialog::OnAlphaChanged()
{
    std::string text = FromQt(m_alpha->toPlainText());
    if (TakeReturnAsOk(text, m_setup.message.promptUseReturn)) {
        {
            QSignalBlocker block(m_alpha);
            m_alpha->setPlainText(ToQt(text));
            m_alpha->moveCursor(QTextCursor::End);
        }
        UpdateHint();
        accept();
        return;
    }
    UpdateHint();
}

void CSchedulePageDialog::OnPredefinedChosen(int index)
{
    const auto& predefined = m_setup.message.predefined;
    if (index < 0 || static_cast<std::size_t>(index) >= predefined.size()) return;
    const PredefinedMessage& message = predefined[static_cast<std::size_t>(index)];
    if (m_setup.message.needs.alpha) {
        QSignalBlocker block(m_alpha);
        m_alpha->setPlainText(ToQt(message.AlphaText));
    }
    if (m_setup.message.needs.numeric) m_numeric->setText(ToQt(message.NumericText));
    UpdateHint();
}

void CSchedulePageDialog::UpdateHint()
{
    const PagerMessageSetup& s = m_setup.message;
    m_hint->setText(ToQt(PageCountHint(s.suffixLength, FromQt(m_alpha->toPlainText()).size(), s.signatureLength,
                                       s.needs.minAlphaLength)));
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
