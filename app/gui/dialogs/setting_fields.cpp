#include "app/gui/dialogs/setting_fields.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/gui/dialogs/qt_text.h"

#include <memory>

namespace corvane {
namespace {

QString ShownText(const QLineEdit* line) { return line->text(); }
QString ShownText(const QPlainTextEdit* edit) { return edit->toPlainText(); }
void ShowText(QLineEdit* line, const QString& text) { line->setText(text); }
void ShowText(QPlainTextEdit* edit, const QString& text) { edit->setPlainText(text); }

// A text as it was stored and as the field showed it. A field the user left alone gives
// back the stored bytes: what a field cannot show as it is (bytes that are not UTF-8, a
// line end in a one-line field) is not changed by a visit to the dialog.
class CShownText {
public:
    template <class Field>
    void Show(Field* field, const std::string& stored)
    {
        m_stored = stored;
        ShowText(field, ToQt(stored));
        m_shown = ShownText(field);
    }
    template <class Field>
    std::string Taken(const Field* field) const
    {
        const QString now = ShownText(field);
        return now == m_shown ? m_stored : FromQt(now);
    }

private:
    std::string m_stored;
    QString m_shown;
};

}  // namespace

void CSettingFields::Check(QAbstractButton* box, const SettingKey& key)
{
    m_fields.push_back({[this, box, &key](const MessageTexts&) { box->setChecked(m_settings.IsOn(key)); },
                        [this, box, &key](MessageTexts&) { m_settings.Write(key, box->isChecked() ? "1" : "0"); }});
}

void CSettingFields::Text(QLineEdit* line, const SettingKey& key)
{
    Text(line, [this, &key] { return m_settings.Get(key); },
         [this, &key](const std::string& text) { m_settings.Write(key, text); });
}

void CSettingFields::Text(QLineEdit* line, std::function<std::string()> read,
                          std::function<void(const std::string&)> write)
{
    line->setMaxLength(kLongestFieldText);
    auto shown = std::make_shared<CShownText>();
    m_fields.push_back({[line, read, shown](const MessageTexts&) { shown->Show(line, read()); },
                        [line, write, shown](MessageTexts&) { write(shown->Taken(line)); }});
}

void CSettingFields::Number(QLineEdit* line, const SettingKey& key, NumberRange range)
{
    line->setMaxLength(kLongestFieldText);
    m_fields.push_back({[this, line, &key](const MessageTexts&) { line->setText(ToQt(m_settings.Get(key))); },
                        [this, line, &key, range](MessageTexts&) {
                            const std::string stored = RangedNumber(FromQt(line->text()), range);
                            line->setText(ToQt(stored));
                            m_settings.Write(key, stored);
                        }});
}

void CSettingFields::Choice(QButtonGroup* group, const SettingKey& key)
{
    m_fields.push_back({[this, group, &key](const MessageTexts&) {
                            const std::string stored = m_settings.Get(key);
                            QAbstractButton* chosen = nullptr;
                            for (QAbstractButton* button : group->buttons())
                                if (std::to_string(group->id(button)) == stored) chosen = button;
                            // An exclusive group cannot be emptied by unticking its button.
                            group->setExclusive(false);
                            for (QAbstractButton* button : group->buttons()) button->setChecked(button == chosen);
                            group->setExclusive(true);
                        },
                        [this, group, &key](MessageTexts&) {
                            if (group->checkedId() >= 0) m_settings.Write(key, std::to_string(group->checkedId()));
                        }});
}

void CSettingFields::Message(QLineEdit* line, std::string MessageTexts::*text)
{
    line->setMaxLength(kLongestFieldText);
    auto shown = std::make_shared<CShownText>();
    m_fields.push_back({[line, text, shown](const MessageTexts& texts) { shown->Show(line, texts.*text); },
                        [line, text, shown](MessageTexts& texts) { texts.*text = shown->Taken(line); }});
}

void CSettingFields::Message(QPlainTextEdit* edit, std::string MessageTexts::*text)
{
    auto shown = std::make_shared<CShownText>();
    m_fields.push_back({[edit, text, shown](const MessageTexts& texts) { shown->Show(edit, texts.*text); },
                        [edit, text, shown](MessageTexts& texts) { texts.*text = shown->Taken(edit); }});
}

void CSettingFields::Load(const MessageTexts& texts)
{
    for (const Field& field : m_fields) field.load(texts);
}

void CSettingFields::Store(MessageTexts& texts)
{
    for (const Field& field : m_fields) field.store(texts);
}

}  // namespace corvane
