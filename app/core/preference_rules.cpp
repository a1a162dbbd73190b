#include "app/core/preference_rules.h"

#include <cctype>
#include <initializer_list>

#include "common/decimal.h"
#include "directory/pager_list.h"

namespace corvane {
namespace {

// One of the schemes, followed by a host.
bool HasScheme(std::string_view url, std::initializer_list<std::string_view> schemes)
{
    const std::size_t end = url.find("://");
    if (end == std::string_view::npos) return false;
    std::string scheme(url.substr(0, end));
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string_view rest = url.substr(end + 3);
    if (rest.empty() || rest.front() == '/' || rest.front() == ':') return false;
    for (std::string_view s : schemes)
        if (scheme == s) return true;
    return false;
}

bool HasBlank(std::string_view url)
{
    for (char c : url)
        if (static_cast<unsigned char>(c) <= ' ') return true;
    return false;
}

}  // namespace

std::string RangedNumber(std::string_view typed, NumberRange range)
{
    return Clamp(typed, range.low, range.high);
}

std::string SharedFolderSetting(std::string path)
{
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

const char* ImapServerProblem(std::string_view url)
{
    if (url.empty()) return nullptr;
    return HasScheme(url, {"imap", "imaps"}) && !HasBlank(url) ? nullptr : kImapServerText;
}

const char* SmtpServerProblem(std::string_view url)
{
    if (url.empty()) return nullptr;
    return HasScheme(url, {"smtp", "smtps"}) && !HasBlank(url) ? nullptr : kSmtpServerText;
}

void SetAutoPageFlag(CPagerList& pagers, std::uint16_t flag, const std::vector<AutoPageChoice>& choices)
{
    for (const auto& [code, highlighted] : choices) {
        PagerRecord* pager = pagers.FindByCode(code);
        if (!pager) continue;
        if (highlighted) pager->AutoPageFlags = static_cast<std::uint16_t>(pager->AutoPageFlags | flag);
        else pager->AutoPageFlags = static_cast<std::uint16_t>(pager->AutoPageFlags & ~flag);
    }
}

}  // namespace corvane
