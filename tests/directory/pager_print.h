#pragma once
// A pager as a failing comparison shows it: every field by name.

#include <ostream>

#include "directory/pager_record.h"

namespace corvane {

inline void PrintTo(const PagerRecord& r, std::ostream* out)
{
    *out << "{Code " << r.Code << ", flags " << r.AutoPageFlags << ", counter " << r.PageCounter << "/"
         << r.SendPageCounter << ", length " << r.MaximumPageLength << ", groups [";
    for (const auto& group : r.Groups) *out << '"' << group << "\" ";
    *out << "], name \"" << r.UserName << "\", wait \"" << r.WaitForConnection << "\", delay \"" << r.DelayTime
         << "\", pin delay \"" << r.PinDelayTime << "\", phone \"" << r.PhoneNumber << "\", voice \"" << r.VoiceOne
         << "\" \"" << r.VoiceTwo << "\", data \"" << r.CustomData << "\", id \"" << r.PagerID << "\", type \""
         << r.PagerType << "\", content \"" << r.DefaultPageContent << "\", message \"" << r.CustomMessage
         << "\", password \"" << r.SystemPassword << "\", separator \"" << r.Separator << "\", service \""
         << r.ServiceName << "\", baud \"" << r.BaudRate << "\", pages " << r.PagesPerCall << "}";
}

}  // namespace corvane
