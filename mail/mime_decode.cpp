#include "mail/mime_decode.h"

#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <cctype>

namespace corvane {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// The length of the UTF-8 sequence at text[i], or 0 when none starts there.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    // Overlong forms, surrogates and values past U+10FFFF.
    if (lead == 0xE0 && byte(i + 1) < 0xA0) return 0;
    if (lead == 0xED && byte(i + 1) > 0x9F) return 0;
    if (lead == 0xF0 && byte(i + 1) < 0x90) return 0;
    if (lead == 0xF4 && byte(i + 1) > 0x8F) return 0;
    return length;
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = Utf8SequenceAt(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

// Valid UTF-8 with every stray byte replaced.
std::string RepairUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = Utf8SequenceAt(text, i);
        if (length == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

// Raw bytes of a header or a body without a usable charset.
std::string GuessToUtf8(std::string_view text)
{
    return IsUtf8(text) ? std::string(text) : Latin1ToUtf8(text);
}

bool ConvertWithIconv(std::string_view bytes, const std::string& charset, std::string& out)
{
    iconv_t cd = ::iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.clear();
    std::string input(bytes);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t done = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (done != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // A byte that does not belong to the charset, or a sequence cut at the end.
        out += kReplacement;
        if (errno == EINVAL) break;
        ++in;
        --inLeft;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    ::iconv_close(cd);
    return true;
}

}  // namespace

void CQuotedPrintableDecoder::Feed(std::string_view in, std::string& out)
{
    for (std::size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        bool blank = c == ' ' || c == '\t';
        switch (m_state) {
        case State::Text:
            if (c == '=')
                Begin(State::Equals, c);
            else
                out += c;
            continue;
        case State::Equals:
            if (HexValue(c) >= 0)
                Begin(State::EqualsHex, c);
            else if (c == '\r')
                m_state = State::SoftCr;
            else if (c == '\n')
                m_state = State::Text;  // a soft line break: the line end is the encoding's
            else if (blank)
                Begin(State::SoftBlank, c);
            else
                Reject(c, out);
            continue;
        case State::EqualsHex:
            if (HexValue(c) >= 0) {
                out += static_cast<char>(HexValue(m_pending[1]) * 16 + HexValue(c));
                m_state = State::Text;
                m_pending.clear();
            } else {
                Reject(c, out);
            }
            continue;
        case State::SoftBlank:
            // Blanks a transport added after the '=' of a soft line break.
            if (blank && m_pending.size() < 80)
                m_pending += c;
            else if (c == '\r')
                m_state = State::SoftCr;
            else if (c == '\n')
                m_state = State::Text;
            else
                Reject(c, out);
            continue;
        case State::SoftCr:
            m_state = State::Text;
            m_pending.clear();
            if (c != '\n') --i;  // a bare CR ended the break: take c again as text
            continue;
        }
    }
}

void CQuotedPrintableDecoder::Begin(State state, char c)
{
    if (state == State::Equals) m_pending.clear();
    m_pending += c;
    m_state = state;
}

// What was held is not an escape after all: it stands as written, and c is taken again.
void CQuotedPrintableDecoder::Reject(char c, std::string& out)
{
    out += m_pending;
    m_pending.clear();
    m_state = State::Text;
    if (c == '=')
        Begin(State::Equals, c);
    else
        out += c;
}

void CQuotedPrintableDecoder::Finish(std::string& out)
{
    if (m_state != State::Text && m_state != State::SoftCr) out += m_pending;
    m_pending.clear();
    m_state = State::Text;
}

void CBase64Decoder::Feed(std::string_view in, std::string& out)
{
    for (char c : in) {
        if (m_ended) return;
        if (c == '=') {
            Finish(out);
            return;
        }
        int value = Base64Value(c);
        if (value < 0) continue;
        m_bits = (m_bits << 6) | static_cast<std::uint32_t>(value);
        if (++m_count == 4) {
            out += static_cast<char>((m_bits >> 16) & 0xFF);
            out += static_cast<char>((m_bits >> 8) & 0xFF);
            out += static_cast<char>(m_bits & 0xFF);
            m_bits = 0;
            m_count = 0;
        }
    }
}

// A last group of two or three characters holds one or two bytes.
void CBase64Decoder::Finish(std::string& out)
{
    if (!m_ended && m_count >= 2) {
        std::uint32_t bits = m_bits << (6 * (4 - m_count));
        out += static_cast<char>((bits >> 16) & 0xFF);
        if (m_count == 3) out += static_cast<char>((bits >> 8) & 0xFF);
    }
    m_ended = true;
    m_bits = 0;
    m_count = 0;
}

std::string ToUtf8(std::string_view bytes, std::string_view charset)
{
    std::string name = Lower(charset);
    name.erase(0, name.find_first_not_of(" \t\"'"));
    name.erase(name.find_last_not_of(" \t\"'") + 1);
    if (name.empty() || name == "us-ascii" || name == "ascii" || name == "unknown-8bit" || name == "x-unknown")
        return GuessToUtf8(bytes);
    if (name == "utf-8" || name == "utf8") return RepairUtf8(bytes);
    std::string out;
    if (ConvertWithIconv(bytes, name, out)) return out;
    return GuessToUtf8(bytes);
}

std::string CutUtf8(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes) return std::string(text);
    std::size_t end = maxBytes;
    // Back up over continuation bytes to the start of the character that did not fit.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end));
}

std::string DecodeHeaderText(std::string_view raw)
{
    // Unfold: a line end followed by a blank is the blank alone.
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' || raw[i] == '\n') continue;
        text += raw[i];
    }

    std::string out;
    std::string run;         // decoded bytes of adjacent encoded words in one charset
    std::string runCharset;
    std::string plain;       // text between encoded words, held until we know what follows
    auto flushRun = [&] {
        if (!run.empty()) out += ToUtf8(run, runCharset);
        run.clear();
    };
    auto flushPlain = [&] {
        out += GuessToUtf8(plain);
        plain.clear();
    };

    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t start = text.find("=?", i);
        if (start == std::string::npos) break;
        std::size_t q1 = text.find('?', start + 2);
        std::size_t q2 = q1 == std::string::npos ? q1 : text.find('?', q1 + 1);
        std::size_t end = q2 == std::string::npos ? q2 : text.find("?=", q2 + 1);
        bool valid = end != std::string::npos && q2 == q1 + 2 && q1 > start + 2;
        std::string_view encoded = valid ? std::string_view(text).substr(q2 + 1, end - q2 - 1) : std::string_view();
        if (valid && encoded.find_first_of(" \t") != std::string_view::npos) valid = false;
        char kind = valid ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[q1 + 1]))) : 0;
        if (kind != 'Q' && kind != 'B') valid = false;
        if (!valid) {
            plain += text.substr(i, start + 2 - i);
            i = start + 2;
            continue;
        }
        std::string between = text.substr(i, start - i);
        bool onlyBlanks = between.find_first_not_of(" \t") == std::string::npos;
        std::string charset = Lower(std::string_view(text).substr(start + 2, q1 - start - 2));
        charset = charset.substr(0, charset.find('*'));  // a language tag
        // Blanks between two encoded words are not part of the text.
        if (!(onlyBlanks && plain.empty() && !run.empty())) {
            flushRun();
            plain += between;
            flushPlain();
        } else if (charset != runCharset) {
            flushRun();
        }
        runCharset = charset;
        if (kind == 'B') {
            CBase64Decoder decoder;
            decoder.Feed(encoded, run);
            decoder.Finish(run);
        } else {
            for (std::size_t k = 0; k < encoded.size(); ++k) {
                char c = encoded[k];
                if (c == '_') {
                    run += ' ';
                } else if (c == '=' && k + 2 < encoded.size() && HexValue(encoded[k + 1]) >= 0 &&
                           HexValue(encoded[k + 2]) >= 0) {
                    run += static_cast<char>(HexValue(encoded[k + 1]) * 16 + HexValue(encoded[k + 2]));
                    k += 2;
                } else {
                    run += c;
                }
            }
        }
        i = end + 2;
    }
    flushRun();
    plain += text.substr(std::min(i, text.size()));
    flushPlain();
    return out;
}

}  // namespace corvane
