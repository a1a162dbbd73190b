#pragma once
// The configuration password. Preferences "Password" holds it scrambled: every byte is
// the clear byte plus 1 (modulo 256); an empty value means no password. The guarded
// commands ask for it first, and the Password dialog changes it.

#include <functional>
#include <string>
#include <string_view>

namespace corvane {

class IMessageBox;
class ISettings;

inline constexpr const char* kPasswordValidationTitle = "Password Validation";
inline constexpr const char* kPasswordValidationText =
    "In order to enter the area you have selected, you must enter the password below.";
inline constexpr const char* kPasswordInvalidText = "The password specified is invalid.";
inline constexpr const char* kPasswordErrorCaption = "Password Validation Error";
inline constexpr const char* kPasswordTitle = "Password";
inline constexpr const char* kCurrentPasswordWrongText =
    "The current password specified is not correct.  In order to change the password, you must enter the current "
    "password.";
inline constexpr const char* kPasswordConfirmMismatchText =
    "The new password and the confirmed password are not the same.  Type the new password again in both boxes.";

std::string ScramblePassword(std::string_view clear);
std::string UnscramblePassword(std::string_view stored);

// The clear password, or "" when none is set.
std::string StoredPassword(ISettings& settings);
bool HasPassword(ISettings& settings);
// An empty password removes the protection.
void StorePassword(ISettings& settings, std::string_view clear);

// OK of the Password Validation dialog: true for the right password; otherwise the
// "invalid" warning is shown and the dialog stays open.
bool ValidatePasswordEntry(ISettings& settings, const std::string& typed, IMessageBox& messageBox);

// The check before a guarded command. ask shows the Password Validation dialog and
// returns true when it was closed with the right password, false for Cancel. Without
// a stored password nothing is asked.
bool PasswordAllows(ISettings& settings, const std::function<bool()>& ask);

// The Password dialog: the current-password box is in use only when a password is set,
// and OK is enabled while that box holds the stored password (always without one).
struct PasswordDialogRules {
    bool currentEnabled = false;
    bool okEnabled = true;
};
PasswordDialogRules PasswordRules(ISettings& settings, const std::string& current);

// OK of the Password dialog. A wrong current password gives its warning; a confirmation
// that differs from the new password gives its own (a mistyped new password would lock
// the user out of every guarded command). Either way nothing is stored and false is
// returned, so the dialog stays open.
bool ChangePassword(ISettings& settings, const std::string& current, const std::string& newPassword,
                    const std::string& confirm, IMessageBox& messageBox);

}  // namespace corvane
