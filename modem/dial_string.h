#pragma once
// What follows the dial command for a phone number. A number written in the canonical
// form "+<country> (<area>) <number>" is dialled as this machine's dialing location
// needs it; every other number as entered, without its dashes. "DialPrefix" (the
// outside line) comes first in both cases.

#include <string>
#include <string_view>

namespace corvane {

class ISettings;

struct DialingLocation {
    std::string countryCode;          // "DialCountryCode"
    std::string areaCode;             // "DialAreaCode"
    std::string longDistancePrefix;   // "DialLongDistancePrefix": before another area of this country
    std::string internationalPrefix;  // "DialInternationalPrefix": before another country's code

    static DialingLocation Read(ISettings& settings);
};

// The canonical number as dialled from here: the number alone within the area (or when
// it names no area), the long-distance prefix and area within the country, else the
// international prefix, country and area. Only the characters a modem dials are kept
// (digits, * # , W @ ! P T and the touch-tone letters A-D); nothing after a subaddress
// or name ('|', '^'), a line end or a ';' is dialled.
std::string DialableNumber(std::string_view canonical, const DialingLocation& here);

// The whole dial string: the prefix, then the number (canonical or as entered), safe to
// put on a modem command line.
std::string DialString(std::string_view prefix, std::string_view phoneNumber, const DialingLocation& here);

}  // namespace corvane
