#pragma once
// The decoding a mail reader needs: the two transfer encodings, streamed (a body
// arrives in pieces of any size), character sets turned into UTF-8, and the encoded
// words of header texts.

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// Quoted-printable, fed in pieces of any size; an escape cut between two pieces is
// finished by the next. A '=' that starts no valid escape stands as written.
class CQuotedPrintableDecoder {
public:
    void Feed(std::string_view in, std::string& out);
    void Finish(std::string& out);

private:
    enum class State { Text, Equals, EqualsHex, SoftBlank, SoftCr };
    void Begin(State state, char c);
    void Reject(char c, std::string& out);

    State m_state = State::Text;
    std::string m_pending;  // what an unfinished escape has taken so far
};

// Base64, fed in pieces of any size; bytes outside the alphabet are skipped, and the
// first '=' (or Finish) ends the data.
class CBase64Decoder {
public:
    void Feed(std::string_view in, std::string& out);
    void Finish(std::string& out);

private:
    std::uint32_t m_bits = 0;
    int m_count = 0;
    bool m_ended = false;
};

// The text in charset as UTF-8. An unknown charset, or none, keeps valid UTF-8 and reads
// anything else as ISO-8859-1; bytes that do not belong to the charset become U+FFFD.
std::string ToUtf8(std::string_view bytes, std::string_view charset);

// At most maxBytes of text, cut at a character boundary.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

// A header's text as shown: encoded words ("=?charset?Q?...?=", "=?charset?B?...?=")
// decoded, the blanks between two encoded words dropped, line folds unfolded, and the
// result in UTF-8.
std::string DecodeHeaderText(std::string_view raw);

}  // namespace corvane
