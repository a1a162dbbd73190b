#include "engine/page_text.h"

#include <langinfo.h>
#include <locale.h>
#include <time.h>

#include <algorithm>
#include <cctype>

#include "engine/page_log.h"

namespace corvane {
namespace {

constexpr long kMaxCapacity = 32767;

void ToUpper(std::string& text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// How many characters the next piece takes off the front: up to and including the last
// space within the first L - 3 characters, else L - 3. A page length below 4 would make
// that zero or less and the cutting would never end: at least one character goes.
std::size_t CutLength(const std::string& text, int maxLength)
{
    std::size_t window = maxLength > 3 ? static_cast<std::size_t>(maxLength - 3) : 1;
    std::size_t space = text.substr(0, window).rfind(' ');
    return space == std::string::npos ? window : space + 1;
}

bool NeedsCut(const std::string& text, int suffix, int maxLength, int pieces, int limit)
{
    // An empty rest has nothing left to cut, however long the suffix is.
    return !text.empty() && static_cast<long>(text.size()) + suffix > maxLength && pieces < limit - 1;
}

constexpr std::size_t kDateChars = 8;  // the date's part of the suffix, after its space

std::string Strftime(const char* format, const std::tm& when, locale_t locale)
{
    char buffer[128];
    return std::string(buffer, strftime_l(buffer, sizeof buffer, format, &when, locale));
}

// The user's short date form ("%x" of the environment's LC_TIME), within the eight
// characters a page keeps for it: a longer form is written with a two-digit year, and
// one still too long as mm/dd/yy.
std::string ShortDate(std::time_t now)
{
    std::tm local {};
    localtime_r(&now, &local);
    locale_t user = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (!user) return FormatLocalTime("%m/%d/%y", now);
    std::string date = Strftime("%x", local, user);
    if (date.size() > kDateChars) {
        std::string format = nl_langinfo_l(D_FMT, user);
        for (std::size_t at = format.find("%Y"); at != std::string::npos; at = format.find("%Y", at))
            format[at + 1] = 'y';
        date = Strftime(format.c_str(), local, user);
    }
    freelocale(user);
    return date.size() > kDateChars || date.empty() ? FormatLocalTime("%m/%d/%y", now) : date;
}

}  // namespace

ContentOptions ContentOptions::Read(ISettings& settings)
{
    ContentOptions options;
    options.time = settings.IsOn(key::ContentTime);
    options.date = settings.IsOn(key::ContentDate);
    options.upperCase = settings.IsOn(key::ContentCase);
    options.reverse = settings.IsOn(key::ContentReverse);
    options.hour24 = settings.IsOn(key::ContentTimeFormat);
    return options;
}

int CountPages(std::string text, int maxLength, int limit, const ContentOptions& options)
{
    if (limit <= 0) return 0;
    if (options.upperCase) ToUpper(text);
    int pieces = 0;
    while (NeedsCut(text, options.SuffixLength(), maxLength, pieces, limit)) {
        text.erase(0, CutLength(text, maxLength));
        ++pieces;
    }
    return pieces + 1;
}

void AddAlphaPages(IPageCall& call, PagerRecord& entry, std::string text, int maxLength, int limit,
                   const ContentOptions& options, std::time_t now)
{
    if (limit <= 0) return;
    long capacity = std::min<long>(static_cast<long>(maxLength) * limit, kMaxCapacity);
    int suffix = options.SuffixLength();
    if (options.upperCase) ToUpper(text);
    std::string logText = suffix < capacity ? text.substr(0, static_cast<std::size_t>(capacity - suffix)) : "";

    auto add = [&](bool counted, const std::string& message, const std::string& log) {
        if (options.reverse)
            call.AddPageFirst(counted, entry, message, log);
        else
            call.AddPage(counted, entry, message, log);
    };

    int pieces = 0;
    while (NeedsCut(text, suffix, maxLength, pieces, limit)) {
        std::size_t cut = CutLength(text, maxLength);
        add(false, text.substr(0, cut) + "...", "");
        text.erase(0, cut);
        ++pieces;
    }
    long room = std::max<long>(static_cast<long>(maxLength) - suffix, 0);
    if (static_cast<long>(text.size()) > room) text.resize(static_cast<std::size_t>(room));
    add(true, text + ContentSuffix(options, now), logText);
}

std::string ContentSuffix(const ContentOptions& options, std::time_t now)
{
    std::string suffix;
    if (options.time) suffix += FormatLocalTime(options.hour24 ? " %H:%M" : " %I:%M", now);
    if (options.date) suffix += " " + ShortDate(now);
    return suffix;
}

std::string PageCountHint(std::size_t suffixLength, std::size_t messageLength, std::size_t signatureLength,
                          int minLength)
{
    std::size_t total = suffixLength + messageLength + (signatureLength ? signatureLength + 1 : 0);
    std::size_t length = minLength > 0 ? static_cast<std::size_t>(minLength) : 1;
    std::size_t pages = total == 0 ? 0 : (total - 1) / length + 1;
    if (pages == 0) return "no pages to deliver the";
    if (pages == 1) return "1 page to deliver the";
    return std::to_string(pages) + " separate pages to deliver the";
}

}  // namespace corvane
