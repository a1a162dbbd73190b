// Phone numbers as the modem dials them: canonical "+<country> (<area>) <number>"
// numbers placed from the dialing location, the rest as entered.

#include "modem/dial_string.h"

#include <gtest/gtest.h>

#include "settings/memory_settings.h"

namespace corvane {
namespace {

const DialingLocation kNewYork{"1", "212", "1", "011"};
const DialingLocation kLondon{"44", "20", "0", "00"};

TEST(DialString, CanonicalNumbersFromTheDialingLocation)
{
    struct Case {
        const char* number;
        const DialingLocation& here;
        const char* dialled;
    };
    const Case cases[] = {
        {"+1 (555) 123-4567", kNewYork, "15551234567"},
        {"+1 (212) 555-0100", kNewYork, "5550100"},
        {"+1(212)5550100", kNewYork, "5550100"},
        {"+1 555 123 4567", kNewYork, "5551234567"},  // no area: dialled as the number alone
        {"+44 (20) 7946 0958", kNewYork, "011442079460958"},
        {"+44 (20) 7946 0958", kLondon, "79460958"},
        {"+44 (161) 496 0000", kLondon, "01614960000"},
        {"+1 (555) 123-4567", kLondon, "0015551234567"},
        {"+  49 (30) 1234-56", kNewYork, "0114930123456"},
        {"+1 (212) 555-0100,,99#", kNewYork, "5550100,,99#"},          // pauses and keys stay
        {"+1 (212) 555-0100 | 12 ^ Ann Archer", kNewYork, "5550100"},  // subaddress and name
        {"+1 (212) 555\r\nATZ", kNewYork, "555"},                      // nothing after a line end
        {"+1 (212) 555;ATH", kNewYork, "555"},                         // no return to command mode
        {"+1 (212", kNewYork, "212"},                                  // an area never closed
        {"+ (555) 123", kNewYork, "555123"},                           // no country: as written
        {"+", kNewYork, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(DialString("", c.number, c.here), c.dialled) << c.number;
}

TEST(DialString, ThePrefixComesFirstAndOtherNumbersGoAsEntered)
{
    EXPECT_EQ(DialString("9,", "+1 (555) 123-4567", kNewYork), "9,15551234567");
    EXPECT_EQ(DialString("9,", "555-123-4567", kNewYork), "9,5551234567");
    EXPECT_EQ(DialString("9;", "(555) 123\r-4567", kNewYork), "9(555) 1234567");
}

TEST(DialString, TheLocationIsReadFromThePreferences)
{
    CMemorySettings settings;
    DialingLocation fresh = DialingLocation::Read(settings);
    EXPECT_EQ(DialableNumber("+1 (555) 123-4567", fresh), "15551234567");
    EXPECT_EQ(DialableNumber("+44 (20) 7946 0958", fresh), "011442079460958");
    settings.Write(key::DialCountryCode, " 44 ");
    settings.Write(key::DialAreaCode, "(20)");
    settings.Write(key::DialLongDistancePrefix, "0");
    settings.Write(key::DialInternationalPrefix, "00");
    DialingLocation london = DialingLocation::Read(settings);
    EXPECT_EQ(DialableNumber("+44 (20) 7946 0958", london), "79460958");
    EXPECT_EQ(DialableNumber("+1 (555) 123-4567", london), "0015551234567");
}

}  // namespace
}  // namespace corvane
