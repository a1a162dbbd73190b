#include "mail/smtp_message.h"

#include <cstdio>

namespace corvane {
namespace {

constexpr std::size_t kMaxLine = 998;  // SMTP's limit for one line, without its CR LF
constexpr char kHex[] = "0123456789ABCDEF";

bool IsUtf8Text(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                            : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

const char* CharsetOf(std::string_view text)
{
    return IsAscii(text) ? "us-ascii" : IsUtf8Text(text) ? "utf-8" : "iso-8859-1";
}

std::string Base64(std::string_view bytes)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[group & 63] : '=';
    }
    return out;
}

// Whether the body can go as it stands: CR only before LF, LF only after CR, no NUL,
// no line longer than SMTP allows.
bool SendableAsIs(std::string_view body)
{
    std::size_t lineLength = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c == '\0') return false;
        if (c == '\r') {
            if (i + 1 >= body.size() || body[i + 1] != '\n') return false;
            ++i;
            lineLength = 0;
            continue;
        }
        if (c == '\n') return false;
        if (++lineLength > kMaxLine) return false;
    }
    return true;
}

// Quoted-printable: CR LF pairs stay line breaks, every other byte that is not plain
// printable text is escaped, lines are wrapped with soft breaks.
std::string QuotedPrintable(std::string_view body)
{
    std::string out;
    std::size_t lineLength = 0;
    auto put = [&](std::string_view piece) {
        if (lineLength + piece.size() > 75) {
            out += "=\r\n";
            lineLength = 0;
        }
        out += piece;
        lineLength += piece.size();
    };
    for (std::size_t i = 0; i < body.size(); ++i) {
        auto c = static_cast<unsigned char>(body[i]);
        if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n') {
            out += "\r\n";
            lineLength = 0;
            ++i;
            continue;
        }
        bool lineEndFollows = i + 1 == body.size() || (body[i + 1] == '\r' && i + 2 < body.size() && body[i + 2] == '\n');
        bool blank = c == ' ' || c == '\t';
        bool plain = (c >= 33 && c <= 126 && c != '=') || (blank && !lineEndFollows);
        // A '.' first on a line is left to SMTP's own escaping.
        if (plain) {
            char one = static_cast<char>(c);
            put(std::string_view(&one, 1));
        } else {
            char escape[3] = {'=', kHex[c >> 4], kHex[c & 15]};
            put(std::string_view(escape, 3));
        }
    }
    return out;
}

}  // namespace

std::string HeaderSafe(std::string_view text)
{
    std::string safe(text);
    for (char& c : safe)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return safe;
}

std::string EncodeSubject(std::string_view subject)
{
    std::string safe = HeaderSafe(subject);
    bool printable = true;
    for (char c : safe) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t') printable = false;
        if (byte >= 0x7F) printable = false;
    }
    // "=?" in plain text would be read back as the start of an encoded word.
    if (printable && safe.size() + 9 <= kMaxLine && safe.find("=?") == std::string::npos) return safe;

    const char* charset = CharsetOf(safe);
    bool utf8 = std::string_view(charset) == "utf-8";
    std::string encoded;
    for (std::size_t i = 0; i < safe.size();) {
        // 45 bytes make 60 base64 characters: each word fits a folded line.
        std::size_t take = std::min<std::size_t>(45, safe.size() - i);
        if (utf8)
            while (take > 0 && i + take < safe.size() && (static_cast<unsigned char>(safe[i + take]) & 0xC0) == 0x80)
                --take;
        if (!encoded.empty()) encoded += "\r\n ";
        encoded += std::string("=?") + charset + "?B?" + Base64(std::string_view(safe).substr(i, take)) + "?=";
        i += take;
    }
    return encoded;
}

std::string MailDate(std::time_t t)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[tm.tm_wday], tm.tm_mday,
                  kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::string ComposeMailText(const OutgoingMail& mail, std::time_t now, const std::string& messageId)
{
    bool asIs = SendableAsIs(mail.body);
    std::string text;
    text += "From: " + HeaderSafe(mail.from) + "\r\n";
    text += "To: " + HeaderSafe(mail.recipient) + "\r\n";
    text += "Subject: " + EncodeSubject(mail.subject) + "\r\n";
    text += "Date: " + MailDate(now) + "\r\n";
    text += "Message-ID: " + HeaderSafe(messageId) + "\r\n";
    text += "MIME-Version: 1.0\r\n";
    text += std::string("Content-Type: text/plain; charset=") + CharsetOf(mail.body) + "\r\n";
    text += std::string("Content-Transfer-Encoding: ") +
            (!asIs ? "quoted-printable" : IsAscii(mail.body) ? "7bit" : "8bit") + "\r\n";
    text += "\r\n";
    text += asIs ? mail.body : QuotedPrintable(mail.body);
    return text;
}

}  // namespace corvane
