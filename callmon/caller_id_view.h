#pragma once
// The caller-ID pop-up as the shell shows it: a small "Incoming Call" window with the
// caller's number and name, centred on the screen. The core decides when it opens,
// what it shows and when it closes; a shell without windows shows nothing.

#include <string>

namespace corvane {

class ICallerIdView {
public:
    virtual ~ICallerIdView() = default;
    virtual void ShowCallerIdPopup() {}
    // The number as it is to be shown ("(555) 123-4567"), and the name.
    virtual void ShowCallerIdNumber(const std::string& shown) { (void)shown; }
    virtual void ShowCallerIdName(const std::string& name) { (void)name; }
    virtual void HideCallerIdPopup() {}
};

}  // namespace corvane
