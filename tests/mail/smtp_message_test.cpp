// The text of a sent mail: its header to the byte, a subject that cannot start a new
// header, and bodies that SMTP cannot carry as they stand.

#include <gtest/gtest.h>

#include "mail/mime_decode.h"
#include "mail/smtp_message.h"

namespace corvane {
namespace {

TEST(SmtpMessage, HeaderAndBodyToTheByte)
{
    OutgoingMail mail{"corvane@example.org", "gw@example.org", "CVTOM2 Bob\\1", "Call me"};
    EXPECT_EQ(ComposeMailText(mail, 983955900, "<1@example.org>"),
              "From: corvane@example.org\r\n"
              "To: gw@example.org\r\n"
              "Subject: CVTOM2 Bob\\1\r\n"
              "Date: Wed, 07 Mar 2001 09:05:00 +0000\r\n"
              "Message-ID: <1@example.org>\r\n"
              "MIME-Version: 1.0\r\n"
              "Content-Type: text/plain; charset=us-ascii\r\n"
              "Content-Transfer-Encoding: 7bit\r\n"
              "\r\n"
              "Call me");
}

TEST(SmtpMessage, NothingInTheFieldsCanAddAHeader)
{
    OutgoingMail mail{"a@x\r\nBcc: evil@x", "gw@x\nBcc: evil@x", "Bob\r\nBcc: evil@x", "body\r\nBcc: stays body"};
    std::string text = ComposeMailText(mail, 0, "<1@x>");
    std::string header = text.substr(0, text.find("\r\n\r\n") + 2);
    EXPECT_EQ(header.find("\r\nBcc"), std::string::npos) << header;
    EXPECT_NE(header.find("Subject: Bob  Bcc: evil@x\r\n"), std::string::npos) << header;
    EXPECT_NE(header.find("To: gw@x Bcc: evil@x\r\n"), std::string::npos) << header;
    EXPECT_EQ(text.substr(text.find("\r\n\r\n") + 4), "body\r\nBcc: stays body");
}

TEST(SmtpMessage, SubjectsAndBodiesThatNeedEncodingComeBackUnchanged)
{
    // A UTF-8 subject, and one too long for a header line, become encoded words.
    std::string name = "Ren\xC3\xA9 " + std::string(1200, 'x');
    std::string encoded = EncodeSubject(name);
    EXPECT_EQ(encoded.rfind("=?utf-8?B?", 0), 0u);
    for (std::size_t start = 0, end; start < encoded.size(); start = end + 2) {
        end = encoded.find("\r\n", start);
        if (end == std::string::npos) end = encoded.size();
        EXPECT_LE(end - start, 78u);
    }
    EXPECT_EQ(DecodeHeaderText(encoded), name);
    EXPECT_EQ(EncodeSubject("looks =?like?= a word").rfind("=?us-ascii?B?", 0), 0u);

    // Bare line ends, a NUL, a line past 998 bytes: quoted-printable, decoded to the same bytes.
    const std::string bodies[] = {std::string("one\ntwo\rthree\r\n", 15), std::string("nul\0byte", 8),
                                  std::string(1500, 'y') + " =end \r\n"};
    for (const std::string& body : bodies) {
        std::string text = ComposeMailText({"a@x", "b@x", "s", body}, 0, "<1@x>");
        EXPECT_NE(text.find("Content-Transfer-Encoding: quoted-printable\r\n"), std::string::npos);
        std::string sent = text.substr(text.find("\r\n\r\n") + 4), decoded;
        for (std::size_t start = 0, end; start < sent.size(); start = end + 2) {
            end = sent.find("\r\n", start);
            if (end == std::string::npos) end = sent.size();
            EXPECT_LE(end - start, 76u);
        }
        CQuotedPrintableDecoder decoder;
        decoder.Feed(sent, decoded);
        decoder.Finish(decoded);
        EXPECT_EQ(decoded, body);
    }
    std::string latin = ComposeMailText({"a@x", "b@x", "s", "caf\xE9"}, 0, "<1@x>");
    EXPECT_NE(latin.find("charset=iso-8859-1\r\nContent-Transfer-Encoding: 8bit\r\n\r\ncaf\xE9"), std::string::npos);
}

}  // namespace
}  // namespace corvane
