#include "app/core/password.h"

#include "common/message_box.h"
#include "settings/settings.h"

namespace corvane {

namespace {

std::string Shift(std::string_view text, int amount)
{
    std::string shifted(text);
    for (char& c : shifted) c = static_cast<char>((static_cast<unsigned char>(c) + amount) & 0xFF);
    return shifted;
}

void Warn(IMessageBox& messageBox, const char* text)
{
    messageBox.Show(text, kPasswordErrorCaption, MbIcon::Warning, MbButtons::Ok);
}

}  // namespace

std::string ScramblePassword(std::string_view clear)
{
    return Shift(clear, 1);
}

std::string UnscramblePassword(std::string_view stored)
{
    return Shift(stored, 255);
}

std::string StoredPassword(ISettings& settings)
{
    return UnscramblePassword(settings.Get(key::Password));
}

bool HasPassword(ISettings& settings)
{
    return !settings.Get(key::Password).empty();
}

void StorePassword(ISettings& settings, std::string_view clear)
{
    settings.Write(key::Password, ScramblePassword(clear));
}

bool ValidatePasswordEntry(ISettings& settings, const std::string& typed, IMessageBox& messageBox)
{
    if (typed == StoredPassword(settings)) return true;
    Warn(messageBox, kPasswordInvalidText);
    return false;
}

bool PasswordAllows(ISettings& settings, const std::function<bool()>& ask)
{
    return !HasPassword(settings) || ask();
}

PasswordDialogRules PasswordRules(ISettings& settings, const std::string& current)
{
    PasswordDialogRules rules;
    rules.currentEnabled = HasPassword(settings);
    rules.okEnabled = !rules.currentEnabled || current == StoredPassword(settings);
    return rules;
}

bool ChangePassword(ISettings& settings, const std::string& current, const std::string& newPassword,
                    const std::string& confirm, IMessageBox& messageBox)
{
    if (HasPassword(settings) && current != StoredPassword(settings)) {
        Warn(messageBox, kCurrentPasswordWrongText);
        return false;
    }
    if (confirm != newPassword) {
        Warn(messageBox, kPasswordConfirmMismatchText);
        return false;
    }
    StorePassword(settings, newPassword);
    return true;
}

}  // namespace corvane
