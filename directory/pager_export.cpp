#include "directory/pager_export.h"

#include <array>
#include <string_view>

#include "common/file_io.h"
#include "common/message_box.h"

namespace corvane {
namespace {

constexpr std::size_t kFieldCount = 12;

std::array<std::string, kFieldCount> ExportFields(const PagerRecord& p)
{
    return {p.PagerType,     p.UserName,  p.PhoneNumber,       p.VoiceOne,       p.VoiceTwo,  p.CustomData,
            p.PagerID,       p.DelayTime, p.WaitForConnection, p.SystemPassword, p.Separator,
            std::to_string(p.MaximumPageLength)};
}

// Characters, not bytes: a name in UTF-8 lines up by what is shown.
std::size_t Characters(std::string_view text)
{
    std::size_t count = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

}  // namespace

std::string CommaDelimitedLine(const PagerRecord& pager)
{
    std::string line;
    for (const std::string& field : ExportFields(pager)) {
        if (!line.empty()) line += ',';
        line += '"';
        for (char c : field) {
            if (c == '"') line += '"';
            line += c;
        }
        line += '"';
    }
    return line + "\r\n";
}

std::string TextLine(const PagerRecord& pager)
{
    std::array<std::string, kFieldCount> fields = ExportFields(pager);
    std::string line;
    for (std::size_t i = 0; i + 1 < kFieldCount; ++i) {
        line += fields[i];
        std::size_t columnStops = i == 1 ? 4 : 3;  // tab stops the column spans
        std::size_t used = Characters(fields[i]) / 8;
        if (used < columnStops) line.append(columnStops - used, '\t');
    }
    return line + fields.back() + "\r\n";
}

std::string ExportText(const CPagerList& list, ExportFormat format)
{
    std::string text;
    for (const auto& pager : list.records())
        text += format == ExportFormat::CommaDelimited ? CommaDelimitedLine(*pager) : TextLine(*pager);
    return text;
}

bool ExportPagers(const std::string& path, ExportFormat format, const CPagerList& list, IMessageBox& messageBox)
{
    if (WriteFileAtomically(path, ExportText(list, format)) != FileError::None) {
        messageBox.Show(kExportFailedText, kExportCaption, MbIcon::Warning, MbButtons::Ok);
        return false;
    }
    messageBox.Show(kExportedText, kExportCaption, MbIcon::Information, MbButtons::Ok);
    return true;
}

}  // namespace corvane
