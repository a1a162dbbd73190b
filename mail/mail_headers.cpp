#include "mail/mail_headers.h"

#include <cctype>
#include <strings.h>

#include "mail/mime_decode.h"

namespace corvane {
namespace {

// A header block of more fields than this keeps its first ones.
constexpr std::size_t kMaxFields = 1000;

std::string Trim(std::string_view text)
{
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return "";
    std::size_t end = text.find_last_not_of(" \t");
    return std::string(text.substr(begin, end - begin + 1));
}

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Splits value at top-level occurrences of separator: not inside quotes, angle brackets
// or comments.
std::vector<std::string> SplitOutside(std::string_view value, char separator)
{
    std::vector<std::string> pieces(1);
    bool quoted = false;
    int comment = 0;
    bool angle = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (quoted) {
            if (c == '\\' && i + 1 < value.size()) {
                pieces.back() += c;
                c = value[++i];
            } else if (c == '"') {
                quoted = false;
            }
        } else if (comment > 0) {
            if (c == '(') ++comment;
            if (c == ')') --comment;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '(') {
            ++comment;
        } else if (c == '<') {
            angle = true;
        } else if (c == '>') {
            angle = false;
        } else if (c == separator && !angle) {
            pieces.emplace_back();
            continue;
        }
        pieces.back() += c;
    }
    return pieces;
}

// A phrase as shown: quotes and quoted-pairs removed, comments dropped, blanks squeezed,
// encoded words decoded.
std::string PhraseText(std::string_view phrase)
{
    std::string text;
    bool quoted = false;
    int comment = 0;
    for (std::size_t i = 0; i < phrase.size(); ++i) {
        char c = phrase[i];
        if (comment > 0) {
            if (c == '(') ++comment;
            if (c == ')') --comment;
            continue;
        }
        if (c == '\\' && quoted && i + 1 < phrase.size()) {
            text += phrase[++i];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == '(' && !quoted) {
            ++comment;
        } else {
            text += c;
        }
    }
    std::string squeezed;
    for (char c : DecodeHeaderText(text)) {
        bool blank = c == ' ' || c == '\t';
        if (blank && (squeezed.empty() || squeezed.back() == ' ')) continue;
        squeezed += blank ? ' ' : c;
    }
    while (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
    return squeezed;
}

}  // namespace

void CHeaderBlock::AddLine(std::string_view line)
{
    if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
        if (m_fields.empty()) return;
        std::string& value = m_fields.back().value;
        if (value.size() < m_maxField) value.append(line.substr(0, m_maxField - value.size()));
        return;
    }
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || m_fields.size() >= kMaxFields) return;
    Field field{Trim(line.substr(0, colon)), std::string(line.substr(colon + 1, m_maxField))};
    m_fields.push_back(std::move(field));
}

std::string CHeaderBlock::Get(std::string_view name) const
{
    for (const Field& field : m_fields)
        if (field.name.size() == name.size() && ::strncasecmp(field.name.data(), name.data(), name.size()) == 0)
            return Trim(field.value);
    return "";
}

std::string HeaderToken(std::string_view value)
{
    std::vector<std::string> pieces = SplitOutside(value, ';');
    return Lower(Trim(pieces.front()));
}

std::string HeaderParameter(std::string_view value, std::string_view name)
{
    std::vector<std::string> pieces = SplitOutside(value, ';');
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        std::size_t equals = pieces[i].find('=');
        if (equals == std::string::npos) continue;
        if (Lower(Trim(std::string_view(pieces[i]).substr(0, equals))) != Lower(std::string(name))) continue;
        std::string raw = Trim(std::string_view(pieces[i]).substr(equals + 1));
        if (raw.size() < 2 || raw.front() != '"') return raw;
        std::string unquoted;
        for (std::size_t k = 1; k < raw.size() && raw[k] != '"'; ++k) {
            if (raw[k] == '\\' && k + 1 < raw.size()) ++k;
            unquoted += raw[k];
        }
        return unquoted;
    }
    return "";
}

ContentType ParseContentType(std::string_view value)
{
    ContentType type;
    std::string token = HeaderToken(value);
    std::size_t slash = token.find('/');
    if (slash != std::string::npos && slash > 0 && slash + 1 < token.size()) type.type = token;
    type.charset = HeaderParameter(value, "charset");
    type.boundary = HeaderParameter(value, "boundary");
    return type;
}

std::vector<Mailbox> ParseAddressList(std::string_view value)
{
    std::vector<Mailbox> boxes;
    for (std::string piece : SplitOutside(value, ',')) {
        // A group "Team: a@x, b@y;" lists its members after the colon.
        std::vector<std::string> group = SplitOutside(piece, ':');
        if (group.size() > 1) piece = piece.substr(group.front().size() + 1);
        while (!piece.empty() && (piece.back() == ';' || piece.back() == ' ')) piece.pop_back();

        Mailbox box;
        std::size_t open = piece.rfind('<');
        std::size_t close = open == std::string::npos ? open : piece.find('>', open);
        if (open != std::string::npos && close != std::string::npos) {
            box.address = Trim(std::string_view(piece).substr(open + 1, close - open - 1));
            box.name = PhraseText(std::string_view(piece).substr(0, open));
        } else {
            box.address = PhraseText(piece);
        }
        if (!box.address.empty() || !box.name.empty()) boxes.push_back(std::move(box));
    }
    return boxes;
}

}  // namespace corvane
