#include "modem/dial_string.h"

#include <cctype>

#include "modem/modem_control.h"
#include "settings/settings.h"

namespace corvane {
namespace {

constexpr std::string_view kDialled = "0123456789*#,W@!PTABCDwptabcd";

std::string Dialled(std::string_view text)
{
    std::string kept;
    for (char c : text)
        if (kDialled.find(c) != std::string_view::npos) kept.push_back(c);
    return kept;
}

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

void SkipBlanks(std::string_view& text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
}

std::string TakeDigits(std::string_view& text)
{
    std::string digits;
    while (!text.empty() && IsDigit(text.front())) {
        digits.push_back(text.front());
        text.remove_prefix(1);
    }
    return digits;
}

}  // namespace

DialingLocation DialingLocation::Read(ISettings& settings)
{
    return {Dialled(settings.Get(key::DialCountryCode)), Dialled(settings.Get(key::DialAreaCode)),
            Dialled(settings.Get(key::DialLongDistancePrefix)), Dialled(settings.Get(key::DialInternationalPrefix))};
}

std::string DialableNumber(std::string_view canonical, const DialingLocation& here)
{
    std::string_view rest = canonical;
    if (!rest.empty() && rest.front() == '+') rest.remove_prefix(1);
    // A subaddress or name, a line end or a return to command mode ends what is dialled.
    rest = rest.substr(0, rest.find_first_of("|^\r\n;"));
    SkipBlanks(rest);
    const std::string country = TakeDigits(rest);
    SkipBlanks(rest);
    std::string area;
    const std::size_t close = rest.find(')');
    if (!rest.empty() && rest.front() == '(' && close != std::string_view::npos) {
        area = Dialled(rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
    }
    const std::string number = Dialled(rest);
    // Without a country code there is nothing to place: the digits as written.
    if (country.empty()) return area + number;
    if (country != here.countryCode) return here.internationalPrefix + country + area + number;
    if (area.empty() || area == here.areaCode) return number;
    return here.longDistancePrefix + area + number;
}

std::string DialString(std::string_view prefix, std::string_view phoneNumber, const DialingLocation& here)
{
    std::string dial = CommandLineField(prefix);
    if (!phoneNumber.empty() && phoneNumber.front() == '+') return dial + DialableNumber(phoneNumber, here);
    for (char c : CommandLineField(phoneNumber))
        if (c != '-') dial.push_back(c);
    return dial;
}

}  // namespace corvane
