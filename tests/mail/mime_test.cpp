// The mail reader's decoding: transfer encodings fed in pieces, character sets, header
// words, address names, and whole messages in bounded memory.

#include <gtest/gtest.h>

#include "mail/mail_headers.h"
#include "settings/mail_password.h"
#include "mail/mime_decode.h"
#include "mail/mime_reader.h"

namespace corvane {
namespace {

// The same input fed whole and one byte at a time must give the same result.
template <class Decoder>
std::string DecodeBothWays(std::string_view input, std::string* byteWise)
{
    std::string whole, bytes;
    Decoder a, b;
    a.Feed(input, whole);
    a.Finish(whole);
    for (char c : input) b.Feed(std::string_view(&c, 1), bytes);
    b.Finish(bytes);
    *byteWise = bytes;
    return whole;
}

TEST(MimeDecode, QuotedPrintableAndBase64InAnyPieces)
{
    struct Case {
        const char* input;
        const char* expected;
    };
    const Case qp[] = {
        {"caf=C3=A9", "caf\xC3\xA9"},
        {"soft=\r\nbreak", "softbreak"},
        {"soft=\nbreak", "softbreak"},
        {"blanks after=  \r\nthe equals", "blanks afterthe equals"},
        {"lower =c3=a9", "lower \xC3\xA9"},
        {"not an escape =ZZ and =", "not an escape =ZZ and ="},
        {"==41", "=A"},
        {"line\r\nbreak", "line\r\nbreak"},
    };
    for (const Case& c : qp) {
        std::string byteWise;
        EXPECT_EQ(DecodeBothWays<CQuotedPrintableDecoder>(c.input, &byteWise), c.expected) << c.input;
        EXPECT_EQ(byteWise, c.expected) << c.input;
    }
    const Case base64[] = {
        {"SGVsbG8=", "Hello"},
        {"SGVs\r\nbG8h", "Hello!"},
        {"SGVsbG8", "Hello"},   // no padding
        {"SG Vs*bA==ignored", "Hell"},
    };
    for (const Case& c : base64) {
        std::string byteWise;
        EXPECT_EQ(DecodeBothWays<CBase64Decoder>(c.input, &byteWise), c.expected) << c.input;
        EXPECT_EQ(byteWise, c.expected) << c.input;
    }
}

TEST(MimeDecode, CharsetsAndHeaderWords)
{
    EXPECT_EQ(ToUtf8("caf\xE9", "ISO-8859-1"), "caf\xC3\xA9");
    EXPECT_EQ(ToUtf8("caf\xE9", "\"windows-1252\""), "caf\xC3\xA9");
    EXPECT_EQ(ToUtf8("caf\xE9", "x-no-such-charset"), "caf\xC3\xA9");  // read as Latin-1
    EXPECT_EQ(ToUtf8("caf\xC3\xA9", "us-ascii"), "caf\xC3\xA9");      // mislabelled UTF-8 kept
    EXPECT_EQ(ToUtf8("bad \xFF!", "utf-8"), "bad \xEF\xBF\xBD!");
    EXPECT_EQ(ToUtf8(std::string_view("\x00h\x00i", 4), "UTF-16BE"), "hi");
    EXPECT_EQ(CutUtf8("ab\xC3\xA9", 3), "ab");

    EXPECT_EQ(DecodeHeaderText("=?ISO-8859-1?Q?Caf=E9_au_lait?="), "Caf\xC3\xA9 au lait");
    EXPECT_EQ(DecodeHeaderText("=?utf-8?B?w6k=?= =?utf-8?B?w6k=?= x"), "\xC3\xA9\xC3\xA9 x");
    EXPECT_EQ(DecodeHeaderText("Re: =?utf-8?q?a?=\r\n =?utf-8?q?b?= end"), "Re: ab end");
    EXPECT_EQ(DecodeHeaderText("=?utf-8?B?4oI=?==?utf-8?B?rA==?="), "\xE2\x82\xAC");  // a character split between words
    EXPECT_EQ(DecodeHeaderText("plain =? not encoded ?="), "plain =? not encoded ?=");

    std::vector<Mailbox> to = ParseAddressList(
        "\"Doe, John\" <john@example.org>, jane@example.org, =?utf-8?q?Ren=C3=A9?= <r@x>, Team: a@x, B <b@x>;");
    std::vector<std::string> shown;
    for (const Mailbox& box : to) shown.push_back(box.Shown());
    EXPECT_EQ(shown, (std::vector<std::string>{"Doe, John", "jane@example.org", "Ren\xC3\xA9", "a@x", "B"}));
    EXPECT_EQ(to[0].address, "john@example.org");
}

TEST(MimeDecode, MailPasswordShiftsByPosition)
{
    EXPECT_EQ(ScrambleMailPassword("aaaaaaa"), "abcdeab");
    EXPECT_EQ(ScrambleMailPassword(std::string("\xFE\xFE\xFE", 3)), std::string("\xFE\xFF\x00", 3));
    EXPECT_EQ(UnscrambleMailPassword(std::string("\xFE\xFF\x00", 3)), "\xFE\xFE\xFE");
    EXPECT_EQ(UnscrambleMailPassword(ScrambleMailPassword("testpass")), "testpass");
}

MailMessage Read(std::string_view raw, std::size_t piece = 0)
{
    CMimeReader reader;
    if (piece == 0) {
        reader.Feed(raw);
    } else {
        for (std::size_t i = 0; i < raw.size(); i += piece) reader.Feed(raw.substr(i, piece));
    }
    MailMessage message;
    reader.Finish(message);
    return message;
}

TEST(MimeReader, TheFirstTextPartThatIsNoAttachment)
{
    const std::string raw =
        "From: \"Ops Desk\" <ops@example.org>\r\n"
        "To: Ann <ann@x>,\r\n bob@x\r\n"
        "Subject: =?utf-8?q?Disk_full?=\r\n"
        "Content-Type: multipart/mixed; boundary=\"outer\"\r\n"
        "\r\n"
        "preamble --outer is no boundary here\r\n"
        "--outer\r\n"
        "Content-Type: text/plain; name=log.txt\r\n"
        "Content-Disposition: attachment; filename=log.txt\r\n"
        "\r\n"
        "not the body\r\n"
        "--outer\r\n"
        "Content-Type: multipart/alternative; boundary=inner\r\n"
        "\r\n"
        "--inner\r\n"
        "Content-Type: text/plain; charset=ISO-8859-1\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n"
        "\r\n"
        "Caf=E9 is =\r\nclosed\r\n"
        "--inner-x is content\r\n"
        "--inner--\r\n"
        "--outer--\r\n"
        "epilogue\r\n";
    for (std::size_t piece : {0, 1, 7}) {
        MailMessage m = Read(raw, piece);
        EXPECT_EQ(m.sender, "Ops Desk");
        EXPECT_EQ(m.senderAddress, "ops@example.org");
        EXPECT_EQ(m.to, "Ann bob@x");
        EXPECT_EQ(m.subject, "Disk full");
        EXPECT_EQ(m.body, "Caf\xC3\xA9 is closed\r\n--inner-x is content") << "pieces of " << piece;
        EXPECT_FALSE(m.bodyCut);
    }
    // No Content-Type at all is plain text; no text part at all is an empty body.
    EXPECT_EQ(Read("Subject: x\r\n\r\nhello\r\n").body, "hello");
    EXPECT_EQ(Read("Content-Type: image/png\r\n\r\nPNG").body, "");
}

TEST(MimeReader, HugeMessagesAreReadInBoundedMemory)
{
    // 50 MB of base64 on one line: streamed through, 64 KiB kept.
    std::string head = "Content-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    std::string line(50u << 20, 'Q');  // "QQQQ" decodes to 0x41 0x04 0x10
    CMimeReader reader;
    reader.Feed(head);
    for (std::size_t i = 0; i < line.size(); i += 65536) reader.Feed(std::string_view(line).substr(i, 65536));
    MailMessage big;
    reader.Finish(big);
    EXPECT_TRUE(big.bodyCut);
    EXPECT_LE(big.body.size(), kMaxBodyBytes);
    EXPECT_GT(big.body.size(), kMaxBodyBytes - 4);

    // 10,000 parts: the text part after them is found.
    std::string many = "Content-Type: multipart/mixed; boundary=b\r\n\r\n";
    for (int i = 0; i < 10000; ++i) many += "--b\r\nContent-Type: application/octet-stream\r\n\r\nxxxx\r\n";
    many += "--b\r\nContent-Type: text/plain\r\n\r\nlast part\r\n--b--\r\n";
    EXPECT_EQ(Read(many, 4096).body, "last part");

    // A line longer than any boundary may be holds a boundary-like text: content.
    std::string longLine = "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\n" + std::string(2000, 'a') +
                           "--b\r\n--b--\r\n";
    EXPECT_EQ(Read(longLine, 100).body, std::string(2000, 'a') + "--b");
}

}  // namespace
}  // namespace corvane
