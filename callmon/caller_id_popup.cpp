#include "callmon/caller_id_popup.h"

namespace corvane {

std::string CCallerIdPopup::DisplayNumber(const std::string& number)
{
    if (number.size() == 10) return "(" + number.substr(0, 3) + ") " + number.substr(3, 3) + "-" + number.substr(6);
    if (number.size() == 7) return number.substr(0, 3) + "-" + number.substr(3);
    return number;
}

void CCallerIdPopup::Open(std::time_t now, const std::string& number, const std::string& name)
{
    if (m_open) return;
    m_open = true;
    m_closeAt = now + kPopupSeconds;
    m_view.ShowCallerIdPopup();
    SetNumber(number);
    SetName(name);
}

void CCallerIdPopup::SetNumber(const std::string& number)
{
    if (!m_open) return;
    m_shownNumber = DisplayNumber(number);
    m_view.ShowCallerIdNumber(m_shownNumber);
}

void CCallerIdPopup::SetName(const std::string& name)
{
    if (!m_open) return;
    m_name = name;
    m_view.ShowCallerIdName(m_name);
}

void CCallerIdPopup::Age(std::time_t now)
{
    // A clock set back must not keep it open for ever.
    if (m_open && (now >= m_closeAt || now < m_closeAt - kPopupSeconds)) Close();
}

void CCallerIdPopup::Close(bool tellView)
{
    if (!m_open) return;
    m_open = false;
    if (tellView) m_view.HideCallerIdPopup();
    m_log.LogIncomingCall(m_shownNumber, m_name);
    m_shownNumber.clear();
    m_name.clear();
}

}  // namespace corvane
