#pragma once
// Caller-ID reports byte for byte as a real line carries them: the keyword reports of
// caller-ID modems, the single and multiple data messages (raw, and written out as
// hexadecimal text the way modems in their unformatted mode send them), and the lines of
// the Rochelle caller-ID units.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace corvane::sim {

// What a Hayes modem says when the phone rings.
inline const std::string kRingLine = "\r\nRING\r\n";
// A Rochelle unit's ring reports.
inline const std::string kUnitRing = "+2,2,\r\n";
inline const std::string kUnitRingOther = "+5,2,\r\n";

// The modem's formatted report between the first and second ring. separator is " = "
// (most modems) or ":"; an empty name leaves the NAME line out.
std::string KeywordReport(const std::string& number, const std::string& name, const std::string& separator = " = ",
                          const std::string& date = "0412", const std::string& time = "1804");

// A single data message: 0x04, length, month, day, hour, minute (two digits each), the
// number ("O" or "P" when it is withheld), checksum.
std::string SingleDataMessage(const std::string& monthDayHourMinute, const std::string& number);

// Multiple data message parameters: 1 date and time, 2 number, 4 why the number is
// absent, 7 name, 8 why the name is absent.
using Parameter = std::pair<std::uint8_t, std::string>;
std::string MultipleDataMessage(const std::vector<Parameter>& parameters);

// The same message with its checksum off by one.
std::string WrongChecksum(std::string message);
// The message as upper-case hexadecimal digits, then CR LF.
std::string HexText(const std::string& message);

// "+1," number "," name "," line designation CR LF.
std::string UnitLine(const std::string& number, const std::string& name, const std::string& line);

// Hexadecimal digits of any bytes, for the simulator's "send" directive.
std::string ToHex(const std::string& bytes);
std::string FromHex(const std::string& hex);

}  // namespace corvane::sim
