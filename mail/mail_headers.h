#pragma once
// Reading header fields: a header block, the parameters of structured fields such as
// Content-Type, and the names in an address list.

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The fields of one header block, folded lines joined, each field at most maxFieldBytes
// (a mail with a 10 MB "To" field keeps only its start).
class CHeaderBlock {
public:
    explicit CHeaderBlock(std::size_t maxFieldBytes = 16384) : m_maxField(maxFieldBytes) {}

    // One physical line without its line end. A line that starts with a blank continues
    // the field before it.
    void AddLine(std::string_view line);
    // The raw value of the first field of that name (case-insensitive), or "".
    std::string Get(std::string_view name) const;
    void Clear() { m_fields.clear(); }

private:
    struct Field {
        std::string name;
        std::string value;
    };
    std::size_t m_maxField;
    std::vector<Field> m_fields;
};

struct ContentType {
    std::string type = "text/plain";  // lower case
    std::string charset;
    std::string boundary;
};

// "type/subtype; name=value; ..." with quoted values; a missing or broken type is text/plain.
ContentType ParseContentType(std::string_view value);
// A parameter of a structured field ("filename" of Content-Disposition), or "".
std::string HeaderParameter(std::string_view value, std::string_view name);
// The value up to its first ';', lower case and trimmed ("attachment").
std::string HeaderToken(std::string_view value);

struct Mailbox {
    std::string name;     // the display name, decoded to UTF-8; "" when none
    std::string address;  // the addr-spec, "" when none
    // What a person would call it: the name, or the address when there is none.
    const std::string& Shown() const { return name.empty() ? address : name; }
};

// The mailboxes of an address list ("From", "To"); comments and group names are dropped.
std::vector<Mailbox> ParseAddressList(std::string_view value);

}  // namespace corvane
