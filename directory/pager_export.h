#pragma once
// Export Pager Data: every pager of a list, shared ones included, in list order, as a
// comma-delimited file (".cdf", which Import Pager Data reads back) or as tab-aligned
// text (".txt", for people and other programs). One line a pager, ended by CR LF, with
// twelve fields: PagerType, UserName, PhoneNumber, VoiceOne, VoiceTwo, CustomData,
// PagerID, DelayTime, WaitForConnection, SystemPassword, Separator, MaximumPageLength.

#include <string>

#include "directory/pager_list.h"

namespace corvane {

class IMessageBox;

enum class ExportFormat { CommaDelimited, Text };

inline constexpr const char* kExportCaption = "Export Pager Data";
inline constexpr const char* kExportedText = "The data was successfully exported.";
inline constexpr const char* kExportFailedText = "Unable to create the export file.";

// Comma-delimited: each field in double quotes, a quote inside a value doubled (as
// spreadsheets write it) so that the file reads back to the same values.
std::string CommaDelimitedLine(const PagerRecord& pager);
// Text: each field but the last followed by tabs up to its column on tab stops of 8: the
// name's column is 32 characters wide, the others 24; a value that fills its column gets
// no tab.
std::string TextLine(const PagerRecord& pager);
std::string ExportText(const CPagerList& list, ExportFormat format);

// Writes the file whole (an old file is replaced only once the new one is complete) and
// says how it went: the success note, or the failure warning. True when written.
bool ExportPagers(const std::string& path, ExportFormat format, const CPagerList& list, IMessageBox& messageBox);

}  // namespace corvane
