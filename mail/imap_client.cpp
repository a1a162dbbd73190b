#include "mail/imap_client.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <memory>

#include "mail/mime_reader.h"

namespace corvane {
namespace {

// What is kept of a literal nobody streams (a header block of the listing).
constexpr std::size_t kKeptLiteralBytes = 65536;
// A response line (its literals apart) longer than this breaks the connection: a
// search answer for a million UIDs still fits.
constexpr std::size_t kMaxResponseText = 16 * 1024 * 1024;
constexpr std::size_t kReadChunk = 65536;
// UIDs per FETCH of the listing, so that no command line grows without bound.
constexpr std::size_t kUidsPerFetch = 1000;

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// The size of the literal announced at the end of a line ("... {123}"), or -1.
long long LiteralAtEnd(std::string_view line)
{
    if (line.empty() || line.back() != '}') return -1;
    std::size_t open = line.rfind('{');
    if (open == std::string_view::npos) return -1;
    std::string_view digits = line.substr(open + 1, line.size() - open - 2);
    if (!digits.empty() && digits.back() == '+') digits.remove_suffix(1);
    if (digits.empty() || digits.size() > 12) return -1;
    long long size = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        size = size * 10 + (c - '0');
    }
    return size;
}

std::uint32_t ParseUid(std::string_view text)
{
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > 0xFFFFFFFFull) return 0;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value > 0xFFFFFFFFull ? 0 : static_cast<std::uint32_t>(value);
}

// The tokens of a response: parentheses, atoms (a bracketed section stays in its atom),
// quoted strings and literal markers.
class CTokens {
public:
    enum class Kind { End, Open, Close, Atom, Quoted, Literal };
    explicit CTokens(std::string_view text) : m_text(text) {}

    Kind Next(std::string& value)
    {
        value.clear();
        while (m_pos < m_text.size() && m_text[m_pos] == ' ') ++m_pos;
        if (m_pos >= m_text.size()) return Kind::End;
        char c = m_text[m_pos];
        if (c == '(' || c == ')') {
            ++m_pos;
            return c == '(' ? Kind::Open : Kind::Close;
        }
        if (c == '"') {
            for (++m_pos; m_pos < m_text.size() && m_text[m_pos] != '"'; ++m_pos) {
                if (m_text[m_pos] == '\\' && m_pos + 1 < m_text.size()) ++m_pos;
                value += m_text[m_pos];
            }
            ++m_pos;
            return Kind::Quoted;
        }
        if (c == '{') {
            m_pos = std::min(m_text.find('}', m_pos), m_text.size()) + 1;
            value = std::to_string(m_literal++);
            return Kind::Literal;
        }
        int depth = 0;
        while (m_pos < m_text.size()) {
            c = m_text[m_pos];
            if (depth == 0 && (c == ' ' || c == '(' || c == ')' || c == '{')) break;
            if (c == '[') ++depth;
            if (c == ']' && depth > 0) --depth;
            value += c;
            ++m_pos;
        }
        return Kind::Atom;
    }

    // Passes over one value: a whole parenthesised list, or one token.
    void SkipValue(Kind first)
    {
        if (first != Kind::Open) return;
        std::string ignored;
        for (int depth = 1; depth > 0;) {
            Kind kind = Next(ignored);
            if (kind == Kind::End) return;
            if (kind == Kind::Open) ++depth;
            if (kind == Kind::Close) --depth;
        }
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_literal = 0;
};

// The items of one "* n FETCH (...)" response that the mail system asks for.
struct FetchItems {
    bool isFetch = false;
    std::uint32_t uid = 0;
    std::string internalDate;
    int headerLiteral = -1;  // the literal that holds the header fields
    std::string headerQuoted;
    bool body = false;  // a BODY[] came
};

FetchItems ParseFetch(std::string_view text)
{
    FetchItems items;
    CTokens tokens(text);
    std::string value;
    if (tokens.Next(value) != CTokens::Kind::Atom || value != "*") return items;
    if (tokens.Next(value) != CTokens::Kind::Atom) return items;
    if (tokens.Next(value) != CTokens::Kind::Atom || !StartsWithNoCase(value, "FETCH") || value.size() != 5)
        return items;
    if (tokens.Next(value) != CTokens::Kind::Open) return items;
    items.isFetch = true;
    for (;;) {
        CTokens::Kind kind = tokens.Next(value);
        if (kind != CTokens::Kind::Atom) break;
        std::string name = value;
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        kind = tokens.Next(value);
        if (kind == CTokens::Kind::End) break;
        if (name == "UID" && kind == CTokens::Kind::Atom) {
            items.uid = ParseUid(value);
        } else if (name == "INTERNALDATE" && kind == CTokens::Kind::Quoted) {
            items.internalDate = value;
        } else if (StartsWith(name, "BODY[HEADER.FIELDS")) {
            if (kind == CTokens::Kind::Literal) items.headerLiteral = std::stoi(value);
            if (kind == CTokens::Kind::Quoted) items.headerQuoted = value;
        } else if (name == "BODY[]") {
            items.body = kind == CTokens::Kind::Literal || kind == CTokens::Kind::Quoted;
        } else {
            tokens.SkipValue(kind);
        }
    }
    return items;
}

// A mailbox name as an IMAP quoted string.
std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

bool SplitImapUrl(const std::string& url, std::string& connectUrl, std::string& mailbox)
{
    std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) return false;
    std::string name = url.substr(0, scheme);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name != "imap" && name != "imaps") return false;
    std::size_t path = url.find('/', scheme + 3);
    connectUrl = url.substr(0, path) + "/";
    mailbox.clear();
    if (path != std::string::npos) {
        // The path is URL-encoded; anything after ';' or '?' is not part of the name.
        std::string raw = url.substr(path + 1);
        raw = raw.substr(0, raw.find_first_of(";?"));
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '%' && i + 2 < raw.size() && std::isxdigit(static_cast<unsigned char>(raw[i + 1])) &&
                std::isxdigit(static_cast<unsigned char>(raw[i + 2]))) {
                mailbox += static_cast<char>(std::stoi(raw.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                mailbox += raw[i];
            }
        }
        while (!mailbox.empty() && mailbox.back() == '/') mailbox.pop_back();
    }
    if (mailbox.empty()) mailbox = "INBOX";
    return true;
}

std::string UidSet(const std::vector<std::uint32_t>& sortedUids)
{
    std::string set;
    for (std::size_t i = 0; i < sortedUids.size();) {
        std::size_t j = i;
        while (j + 1 < sortedUids.size() && sortedUids[j + 1] == sortedUids[j] + 1) ++j;
        if (!set.empty()) set += ',';
        set += std::to_string(sortedUids[i]);
        if (j > i) set += ':' + std::to_string(sortedUids[j]);
        i = j + 1;
    }
    return set;
}

std::time_t ParseInternalDate(std::string_view text)
{
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string date(text);
    while (!date.empty() && date.front() == ' ') date.erase(0, 1);
    int day = 0, year = 0, hour = 0, minute = 0, second = 0, zone = 0;
    char month[4] = {};
    char sign = '+';
    if (std::sscanf(date.c_str(), "%d-%3s-%d %d:%d:%d %c%4d", &day, month, &year, &hour, &minute, &second, &sign,
                    &zone) != 8)
        return 0;
    int monthIndex = -1;
    for (int m = 0; m < 12; ++m)
        if (strcasecmp(month, kMonths[m]) == 0) monthIndex = m;
    if (monthIndex < 0 || day < 1 || day > 31 || year < 1970) return 0;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = monthIndex;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    long offset = (zone / 100) * 3600L + (zone % 100) * 60L;
    return ::timegm(&tm) - (sign == '-' ? -offset : offset);
}

CImapClient::CImapClient(IEventPump& pump, const IClock& clock) : m_stream(pump, clock), m_clock(clock) {}

ImapStatus CImapClient::Connect(const StreamLogin& login)
{
    m_buffer.clear();
    CurlOutcome outcome = m_stream.Open(login, kImapConnectTimeoutMs);
    m_lastError = outcome.timedOut ? "The mail server did not answer." : outcome.error;
    if (outcome.Ok()) return ImapStatus::Ok;
    if (outcome.cancelled) return ImapStatus::Cancelled;
    switch (outcome.code) {
    case CURLE_LOGIN_DENIED: return ImapStatus::LoginRefused;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_USE_SSL_FAILED: return ImapStatus::Insecure;
    default: return ImapStatus::NoConnection;
    }
}

void CImapClient::Logout()
{
    if (m_stream.IsOpen()) Command("LOGOUT", {});
    m_stream.Close();
}

ImapStatus CImapClient::Lost(StreamResult result)
{
    m_stream.Close();
    m_buffer.clear();
    if (result == StreamResult::Cancelled) return ImapStatus::Cancelled;
    m_lastError = result == StreamResult::TimedOut ? "The mail server stopped answering."
                                                   : "The connection to the mail server was lost.";
    return ImapStatus::NoConnection;
}

ImapStatus CImapClient::Command(const std::string& command, const UntaggedHandler& onUntagged,
                                const LiteralRouter& router)
{
    if (!m_stream.IsOpen()) {
        m_lastError = "Not connected to the mail server.";
        return ImapStatus::NoConnection;
    }
    const std::string tag = "c" + std::to_string(++m_tag);
    if (StreamResult sent = m_stream.Send(tag + " " + command + "\r\n", kImapReplyTimeoutMs);
        sent != StreamResult::Ok)
        return Lost(sent);

    const std::uint64_t start = m_clock.TickMs();
    Response response;
    long long literalLeft = -1;  // bytes of the literal being read, -1 between literals
    LiteralSink sink;
    std::size_t pos = 0;
    for (;;) {
        // Take what the buffer holds.
        while (pos < m_buffer.size()) {
            if (literalLeft >= 0) {
                std::size_t take = static_cast<std::size_t>(
                    std::min<long long>(literalLeft, static_cast<long long>(m_buffer.size() - pos)));
                std::string_view bytes(m_buffer.data() + pos, take);
                if (sink) {
                    sink(bytes);
                } else {
                    std::string& kept = response.literals.back();
                    kept.append(bytes.substr(0, kKeptLiteralBytes - std::min(kKeptLiteralBytes, kept.size())));
                }
                pos += take;
                literalLeft -= static_cast<long long>(take);
                if (literalLeft == 0) literalLeft = -1;
                continue;
            }
            std::size_t newline = m_buffer.find('\n', pos);
            if (newline == std::string::npos) break;
            std::string_view line(m_buffer.data() + pos, newline - pos);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            pos = newline + 1;
            response.text += line;
            if (long long size = LiteralAtEnd(line); size >= 0) {
                response.literals.emplace_back();
                sink = router ? router(response.text) : LiteralSink{};
                literalLeft = size == 0 ? -1 : size;
                continue;
            }
            // A whole response.
            if (StartsWith(response.text, tag + " ")) {
                std::string_view status = std::string_view(response.text).substr(tag.size() + 1);
                m_buffer.erase(0, pos);
                if (StartsWithNoCase(status, "OK")) return ImapStatus::Ok;
                m_lastError = std::string(status);
                return ImapStatus::Refused;
            }
            if (StartsWith(response.text, "* ") && onUntagged) onUntagged(response);
            response = Response{};
        }
        m_buffer.erase(0, pos);
        pos = 0;
        if (response.text.size() + m_buffer.size() > kMaxResponseText) {
            m_lastError = "The mail server's answer was too long.";
            return Lost(StreamResult::Closed);
        }
        if (m_clock.TickMs() - start >= static_cast<std::uint64_t>(kImapCommandLimitMs)) return Lost(StreamResult::TimedOut);
        if (StreamResult read = m_stream.Receive(m_buffer, kReadChunk, kImapReplyTimeoutMs); read != StreamResult::Ok)
            return Lost(read);
    }
}

ImapStatus CImapClient::Select(const std::string& mailbox, std::uint32_t& uidValidity)
{
    if (mailbox.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
        m_lastError = "The mailbox name holds a line break.";
        return ImapStatus::Refused;
    }
    uidValidity = 0;
    return Command("SELECT " + Quoted(mailbox), [&](const Response& r) {
        std::size_t at = r.text.find("[UIDVALIDITY ");
        if (at != std::string::npos) uidValidity = ParseUid(r.text.substr(at + 13, r.text.find(']', at) - at - 13));
    });
}

ImapStatus CImapClient::SearchUnseen(std::vector<std::uint32_t>& uids)
{
    uids.clear();
    ImapStatus status = Command("UID SEARCH UNSEEN", [&](const Response& r) {
        if (!StartsWithNoCase(r.text, "* SEARCH")) return;
        std::string_view rest = std::string_view(r.text).substr(8);
        while (!rest.empty()) {
            std::size_t blank = rest.find(' ');
            if (std::uint32_t uid = ParseUid(rest.substr(0, blank))) uids.push_back(uid);
            rest.remove_prefix(blank == std::string_view::npos ? rest.size() : blank + 1);
        }
    });
    std::sort(uids.begin(), uids.end());
    uids.erase(std::unique(uids.begin(), uids.end()), uids.end());
    return status;
}

ImapStatus CImapClient::FetchHeaders(const std::vector<std::uint32_t>& uids, std::vector<MailHeader>& headers)
{
    headers.clear();
    std::vector<std::uint32_t> sorted = uids;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t first = 0; first < sorted.size(); first += kUidsPerFetch) {
        std::vector<std::uint32_t> batch(sorted.begin() + static_cast<std::ptrdiff_t>(first),
                                         sorted.begin() + static_cast<std::ptrdiff_t>(std::min(sorted.size(), first + kUidsPerFetch)));
        ImapStatus status = Command(
            "UID FETCH " + UidSet(batch) + " (UID INTERNALDATE BODY.PEEK[HEADER.FIELDS (FROM TO SUBJECT)])",
            [&](const Response& r) {
                FetchItems items = ParseFetch(r.text);
                if (!items.isFetch || items.uid == 0 || !std::binary_search(batch.begin(), batch.end(), items.uid))
                    return;
                MailHeader header;
                header.uid = items.uid;
                header.received = ParseInternalDate(items.internalDate);
                if (items.headerLiteral >= 0 && static_cast<std::size_t>(items.headerLiteral) < r.literals.size())
                    ReadHeaderFields(r.literals[static_cast<std::size_t>(items.headerLiteral)], header);
                else
                    ReadHeaderFields(items.headerQuoted, header);
                headers.push_back(std::move(header));
            });
        if (status != ImapStatus::Ok) return status;
    }
    return ImapStatus::Ok;
}

ImapStatus CImapClient::FetchMessage(std::uint32_t uid, MailMessage& message, bool& found)
{
    found = false;
    std::unique_ptr<CMimeReader> reader;
    ImapStatus status = Command(
        "UID FETCH " + std::to_string(uid) + " (UID INTERNALDATE BODY.PEEK[])",
        [&](const Response& r) {
            FetchItems items = ParseFetch(r.text);
            if (!items.isFetch || items.uid != uid || !items.body || !reader) return;
            MailMessage read;
            reader->Finish(read);
            read.uid = uid;
            read.received = ParseInternalDate(items.internalDate);
            message = std::move(read);
            found = true;
            reader.reset();
        },
        [&](std::string_view textBefore) -> LiteralSink {
            // Only the message itself streams through the reader; a fresh reader for each.
            std::string_view head = textBefore.substr(0, textBefore.rfind('{'));
            while (!head.empty() && head.back() == ' ') head.remove_suffix(1);
            if (head.size() < 6 || !StartsWithNoCase(head.substr(head.size() - 6), "BODY[]")) return {};
            reader = std::make_unique<CMimeReader>();
            return [&reader](std::string_view bytes) {
                if (reader) reader->Feed(bytes);
            };
        });
    return status;
}

ImapStatus CImapClient::MarkSeen(std::uint32_t uid)
{
    return Command("UID STORE " + std::to_string(uid) + " +FLAGS.SILENT (\\Seen)", {});
}

}  // namespace corvane
