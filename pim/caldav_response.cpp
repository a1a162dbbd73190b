#include "pim/caldav_response.h"

#include <cstdio>
#include <cstdlib>

namespace corvane {
namespace {

std::string UtcStamp(std::time_t when)
{
    std::tm tm{};
    gmtime_r(&when, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &tm);
    return text;
}

void AppendUtf8(std::string& out, unsigned long code)
{
    if (code == 0 || code > 0x10FFFF) return;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// One "&...;" reference at text[pos]; returns the position after it (or after the '&'
// alone when it is not a reference, which is then kept as it stands).
std::size_t Reference(std::string_view text, std::size_t pos, std::string& out)
{
    std::size_t semicolon = text.find(';', pos);
    if (semicolon == std::string_view::npos || semicolon - pos > 10) {
        out += '&';
        return pos + 1;
    }
    std::string_view name = text.substr(pos + 1, semicolon - pos - 1);
    if (name == "lt") out += '<';
    else if (name == "gt") out += '>';
    else if (name == "amp") out += '&';
    else if (name == "quot") out += '"';
    else if (name == "apos") out += '\'';
    else if (name.size() > 1 && name[0] == '#') {
        bool hex = name[1] == 'x' || name[1] == 'X';
        std::string digits(name.substr(hex ? 2 : 1));
        char* end = nullptr;
        unsigned long code = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (digits.empty() || *end != '\0') {
            out += '&';
            return pos + 1;
        }
        AppendUtf8(out, code);
    } else {
        out += '&';
        return pos + 1;
    }
    return semicolon + 1;
}

std::string_view LocalName(std::string_view xml, std::size_t nameStart)
{
    std::size_t end = xml.find_first_of(" \t\r\n/>", nameStart);
    if (end == std::string_view::npos) end = xml.size();
    std::string_view name = xml.substr(nameStart, end - nameStart);
    std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The end of the tag that begins at lt: the position of its '>', quotes respected.
std::size_t TagEnd(std::string_view xml, std::size_t lt)
{
    char quote = 0;
    for (std::size_t i = lt + 1; i < xml.size(); ++i) {
        char c = xml[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return std::string_view::npos;
}

// The element's content from pos to its end tag, decoded; pos is moved past the end tag.
std::string Content(std::string_view xml, std::size_t& pos)
{
    std::string out;
    while (pos < xml.size()) {
        char c = xml[pos];
        if (c == '&') {
            pos = Reference(xml, pos, out);
        } else if (c != '<') {
            out += c;
            ++pos;
        } else if (xml.substr(pos, 9) == "<![CDATA[") {
            std::size_t end = xml.find("]]>", pos + 9);
            std::size_t stop = end == std::string_view::npos ? xml.size() : end;
            out.append(xml.substr(pos + 9, stop - pos - 9));
            pos = end == std::string_view::npos ? xml.size() : end + 3;
        } else {
            // Any other markup ends the text (its end tag, or something no server sends).
            std::size_t end = TagEnd(xml, pos);
            pos = end == std::string_view::npos ? xml.size() : end + 1;
            break;
        }
    }
    return out;
}

}  // namespace

std::string CalendarQuery(const char* component, std::time_t from, std::time_t to)
{
    return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                       "<C:calendar-query xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">\n"
                       "  <D:prop><C:calendar-data/></D:prop>\n"
                       "  <C:filter><C:comp-filter name=\"VCALENDAR\"><C:comp-filter name=\"") +
           component + "\"><C:time-range start=\"" + UtcStamp(from) + "\" end=\"" + UtcStamp(to) +
           "\"/></C:comp-filter></C:comp-filter></C:filter>\n</C:calendar-query>\n";
}

std::vector<std::string> CalendarDataOf(std::string_view xml)
{
    std::vector<std::string> texts;
    std::size_t pos = 0;
    while ((pos = xml.find('<', pos)) != std::string_view::npos) {
        if (xml.substr(pos, 4) == "<!--") {
            std::size_t end = xml.find("-->", pos + 4);
            if (end == std::string_view::npos) break;
            pos = end + 3;
            continue;
        }
        std::size_t lt = pos;
        std::size_t gt = TagEnd(xml, lt);
        if (gt == std::string_view::npos) break;
        pos = gt + 1;
        char first = lt + 1 < xml.size() ? xml[lt + 1] : '\0';
        if (first == '/' || first == '?' || first == '!') continue;
        if (LocalName(xml, lt + 1) != "calendar-data" || xml[gt - 1] == '/') continue;
        texts.push_back(Content(xml, pos));
    }
    return texts;
}

}  // namespace corvane
