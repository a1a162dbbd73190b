#include "tests/sim/caller_id_reports.h"

namespace corvane::sim {
namespace {

// The checksum byte that makes every byte of the message add up to 0 modulo 256.
char ChecksumFor(const std::string& body)
{
    unsigned sum = 0;
    for (char c : body) sum += static_cast<unsigned char>(c);
    return static_cast<char>((256 - sum % 256) % 256);
}

std::string Framed(char type, const std::string& data)
{
    std::string message {type, static_cast<char>(data.size())};
    message += data;
    return message + ChecksumFor(message);
}

}  // namespace

std::string KeywordReport(const std::string& number, const std::string& name, const std::string& separator,
                          const std::string& date, const std::string& time)
{
    std::string report = "\r\nDATE" + separator + date + "\r\nTIME" + separator + time + "\r\nNMBR" + separator + number +
                         "\r\n";
    if (!name.empty()) report += "NAME" + separator + name + "\r\n";
    return report + "\r\n";
}

std::string SingleDataMessage(const std::string& monthDayHourMinute, const std::string& number)
{
    return Framed('\x04', monthDayHourMinute + number);
}

std::string MultipleDataMessage(const std::vector<Parameter>& parameters)
{
    std::string data;
    for (const auto& [type, value] : parameters) {
        data += static_cast<char>(type);
        data += static_cast<char>(value.size());
        data += value;
    }
    return Framed('\x80', data);
}

std::string WrongChecksum(std::string message)
{
    message.back() = static_cast<char>(message.back() + 1);
    return message;
}

std::string HexText(const std::string& message)
{
    return ToHex(message) + "\r\n";
}

std::string UnitLine(const std::string& number, const std::string& name, const std::string& line)
{
    return "+1," + number + "," + name + "," + line + "\r\n";
}

std::string ToHex(const std::string& bytes)
{
    static const char* kDigits = "0123456789ABCDEF";
    std::string hex;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        hex += kDigits[u >> 4];
        hex += kDigits[u & 0xF];
    }
    return hex;
}

std::string FromHex(const std::string& hex)
{
    auto value = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(value(hex[i]) * 16 + value(hex[i + 1]));
    return bytes;
}

}  // namespace corvane::sim
