#pragma once
// What a dialog shows, read for the checks of the dialog tests.

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>
#include <QTest>

#include "tests/dialogs/dialog_fixture.h"

namespace corvane::test {

// A box's text, a drop-down's shown item, a label's text.
inline QString Text(QWidget* parent, const char* name)
{
    QWidget* widget = Child(parent, name);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) return line->text();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) return edit->toPlainText();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* spin = qobject_cast<QSpinBox*>(widget)) return QString::number(spin->value());
    qFatal("%s shows no text", name);
}

// The items of a drop-down or a list.
inline QStringList Items(QWidget* parent, const char* name)
{
    QStringList items;
    if (auto* list = qobject_cast<QListWidget*>(Child(parent, name)))
        for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    else
        for (int i = 0; i < Child<QComboBox>(parent, name)->count(); ++i)
            items << Child<QComboBox>(parent, name)->itemText(i);
    return items;
}

// The texts that neither the dialog's title nor a label, button or group box shows,
// one a line.
inline QString Missing(QWidget* dialog, const QStringList& texts)
{
    QStringList shown{dialog->windowTitle()}, missing;
    for (auto* label : dialog->findChildren<QLabel*>()) shown << label->text();
    for (auto* button : dialog->findChildren<QAbstractButton*>()) shown << button->text();
    for (auto* group : dialog->findChildren<QGroupBox*>()) shown << group->title();
    for (const QString& text : texts)
        if (!shown.contains(text)) missing << text;
    return missing.join('\n');
}

// Those of the named widgets that are enabled, as "a,b".
inline QString EnabledOf(QWidget* parent, const QStringList& names)
{
    QStringList enabled;
    for (const QString& name : names)
        if (Child(parent, qPrintable(name))->isEnabled()) enabled << name;
    return enabled.join(',');
}

inline bool Checked(QWidget* parent, const char* name) { return Child<QAbstractButton>(parent, name)->isChecked(); }
inline bool OkEnabled(QWidget* dialog)
{
    return Child<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok)->isEnabled();
}

inline void Select(QWidget* parent, const char* list, std::vector<int> rows)
{
    auto* widget = Child<QListWidget>(parent, list);
    widget->clearSelection();
    for (int row : rows) widget->item(row)->setSelected(true);
}

// Values as one "a|b|c" text, for one comparison that shows every value.
inline QString Field(const QString& s) { return s; }
inline QString Field(const std::string& s) { return QString::fromStdString(s); }
inline QString Field(long long n) { return QString::number(n); }
inline QString Field(const std::vector<std::string>& v)
{
    QStringList parts;
    for (const auto& s : v) parts << Field(s);
    return parts.join(',');
}
template <class... T>
QString Join(const T&... fields)
{
    return QStringList{Field(fields)...}.join('|');
}

}  // namespace corvane::test
