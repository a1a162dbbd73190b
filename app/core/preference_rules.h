#pragma once
// The rules of the Preferences dialog that are more than showing a setting: the ranges
// its numbers are held to, the form of the shared-data folder, the mail server addresses
// it takes, and the pagers highlighted on the three monitoring pages.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane {

class CPagerList;

inline constexpr const char* kPreferencesTitle = "Preferences";

struct NumberRange {
    long low;
    long high;
};
inline constexpr NumberRange kRetriesRange{0, 999};    // "Retries on failure"
inline constexpr NumberRange kRingsRange{0, 999};      // rings before a call page
inline constexpr NumberRange kCallDelayRange{1, 999};  // seconds before a call page is sent
inline constexpr NumberRange kMailScanRange{1, 999};   // minutes between inbox scans
inline constexpr NumberRange kPimScanRange{5, 999};    // minutes between calendar scans
inline constexpr NumberRange kRescanRange{1, 999};     // minutes between re-reads of shared pagers

// A typed number as stored: converted as every setting is (text without digits is 0),
// then held to the range.
std::string RangedNumber(std::string_view typed, NumberRange range);

// "PagerFilePath": a folder, kept with a trailing '/' that file names are appended to;
// an empty path stays empty (no shared pagers).
std::string SharedFolderSetting(std::string path);

// Why a mail server address cannot be used, or null. Empty is taken: no mail system.
const char* ImapServerProblem(std::string_view url);
const char* SmtpServerProblem(std::string_view url);
inline constexpr const char* kImapServerText =
    "The IMAP server must be given as an address such as imaps://mail.example.org/INBOX or "
    "imap://mail.example.org:143/INBOX.";
inline constexpr const char* kSmtpServerText =
    "The SMTP server must be given as an address such as smtps://mail.example.org or smtp://mail.example.org:587.";

// One pager of a monitoring page's list: its code and whether it is highlighted.
using AutoPageChoice = std::pair<std::int16_t, bool>;
// The monitor's bit (kAutoCallMonitor, kAutoPim, kAutoMail) set in the highlighted
// pagers and cleared in the others that were listed; their other bits stay. A pager
// that is no longer in the list (re-read meanwhile) is skipped.
void SetAutoPageFlag(CPagerList& pagers, std::uint16_t flag, const std::vector<AutoPageChoice>& choices);

}  // namespace corvane
