#pragma once
// Message boxes go through this sink: the windows show them, the headless shell
// writes them to standard error and takes the default answer, tests record them.

#include <string>

namespace corvane {

enum class MbIcon { None, Information, Warning, Error, Question };
enum class MbButtons { Ok, RetryCancel, YesNo };
enum class MbAnswer { Ok, Cancel, Retry, Yes, No };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual MbAnswer Show(const std::string& text, const std::string& caption, MbIcon icon,
                          MbButtons buttons) = 0;
};

}  // namespace corvane
