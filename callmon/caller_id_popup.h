#pragma once
// The caller-ID pop-up's life: it opens when a call starts, follows the number and name
// as they arrive, and closes by itself 15 seconds after it opened (or by its OK button).
// Closing writes the incoming call to the page log.

#include <ctime>
#include <string>

#include "callmon/caller_id_view.h"
#include "engine/page_log.h"

namespace corvane {

inline constexpr std::time_t kPopupSeconds = 15;

class CCallerIdPopup {
public:
    CCallerIdPopup(ICallerIdView& view, CPageLog& log) : m_view(view), m_log(log) {}

    bool IsOpen() const { return m_open; }
    std::time_t ClosingTime() const { return m_closeAt; }
    void Open(std::time_t now, const std::string& number, const std::string& name);
    void SetNumber(const std::string& number);
    void SetName(const std::string& name);
    // Closes it once its time has come.
    void Age(std::time_t now);
    // "Incoming Call: " + the number as shown + " " + the name ("LogCID"), then gone.
    // At shut-down the view may be gone already: it is then not told.
    void Close(bool tellView = true);

    // Ten digits as "(555) 123-4567", seven as "123-4567", anything else as it is.
    static std::string DisplayNumber(const std::string& number);

private:
    ICallerIdView& m_view;
    CPageLog& m_log;
    bool m_open = false;
    std::time_t m_closeAt = 0;
    std::string m_shownNumber;
    std::string m_name;
};

}  // namespace corvane
