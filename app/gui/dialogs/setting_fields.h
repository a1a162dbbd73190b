#pragma once
// The fields of a preference page and what each shows: a setting or a MESSAGES.DAT
// text. Every field is loaded when the page opens and stored, in the order it was bound,
// when the page is applied.

#include <functional>
#include <string>
#include <vector>

#include "app/core/preference_rules.h"
#include "directory/message_texts.h"
#include "settings/settings.h"

class QAbstractButton;
class QButtonGroup;
class QLineEdit;
class QPlainTextEdit;

namespace corvane {

class CSettingFields {
public:
    explicit CSettingFields(ISettings& settings) : m_settings(settings) {}

    // "1" when ticked, "0" when not.
    void Check(QAbstractButton* box, const SettingKey& key);
    // The text as typed.
    void Text(QLineEdit* line, const SettingKey& key);
    // A text kept elsewhere than in one setting.
    void Text(QLineEdit* line, std::function<std::string()> read, std::function<void(const std::string&)> write);
    // A number held to its range; the line is rewritten with what is stored.
    void Number(QLineEdit* line, const SettingKey& key, NumberRange range);
    // Radio buttons whose ids are the stored values. A stored value that no button has
    // chooses none, and with none chosen nothing is stored.
    void Choice(QButtonGroup* group, const SettingKey& key);
    // A text of MESSAGES.DAT.
    void Message(QLineEdit* line, std::string MessageTexts::*text);
    void Message(QPlainTextEdit* edit, std::string MessageTexts::*text);

    void Load(const MessageTexts& texts);
    void Store(MessageTexts& texts);

private:
    struct Field {
        std::function<void(const MessageTexts&)> load;
        std::function<void(MessageTexts&)> store;
    };

    ISettings& m_settings;
    std::vector<Field> m_fields;
};

// A line that takes any text a setting may hold (a QLineEdit cuts at 32767 characters).
inline constexpr int kLongestFieldText = 1 << 20;

}  // namespace corvane
