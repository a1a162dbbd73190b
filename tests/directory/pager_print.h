#pragma once
// A pager as a failing comparison shows it: every stored field by name. Tests compare
// these texts rather than the records, so that a difference reads as one.

#include <sstream>
#include <string>

#include "directory/pager_record.h"

namespace corvane::test {

inline std::string Describe(const PagerRecord& r)
{
    std::ostringstream out;
    out << "{Code " << r.Code << ", flags " << r.AutoPageFlags << ", counter " << r.PageCounter << "/"
        << r.SendPageCounter << ", length " << r.MaximumPageLength << ", groups [";
    for (const auto& group : r.Groups) out << '"' << group << "\" ";
    out << "], name \"" << r.UserName << "\", wait \"" << r.WaitForConnection << "\", delay \"" << r.DelayTime
        << "\", pin delay \"" << r.PinDelayTime << "\", phone \"" << r.PhoneNumber << "\", voice \"" << r.VoiceOne
        << "\" \"" << r.VoiceTwo << "\", data \"" << r.CustomData << "\", id \"" << r.PagerID << "\", type \""
        << r.PagerType << "\", content \"" << r.DefaultPageContent << "\", message \"" << r.CustomMessage
        << "\", password \"" << r.SystemPassword << "\", separator \"" << r.Separator << "\", service \""
        << r.ServiceName << "\", baud \"" << r.BaudRate << "\", pages " << r.PagesPerCall << "}";
    return out.str();
}

}  // namespace corvane::test
