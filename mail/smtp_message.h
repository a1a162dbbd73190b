#pragma once
// The text of a mail the program sends: its header and its body, ready for SMTP.
//
// Nothing a page carries can add a header or a recipient: CR, LF and NUL in the subject
// and the addresses are replaced by blanks before they reach the header. The body is the
// page text: sent as it stands when SMTP can carry it so (8-bit text in lines of at most
// 998 bytes, CR LF line ends), otherwise quoted-printable, which gives back exactly the
// same bytes, bare CR and LF included.

#include <ctime>
#include <string>
#include <string_view>

namespace corvane {

struct OutgoingMail {
    std::string from;       // the sender's address
    std::string recipient;  // the one recipient, envelope and "To:" alike
    std::string subject;
    std::string body;
};

// CR, LF and NUL replaced by blanks.
std::string HeaderSafe(std::string_view text);

// A subject as a header value: as it stands when it is printable ASCII that fits a
// header line, else encoded words (UTF-8, or ISO-8859-1 for text that is not UTF-8)
// folded into lines that any mail program joins back without a trace.
std::string EncodeSubject(std::string_view subject);

// Header lines and body, CR LF line ends, no terminating "." (SMTP's transfer adds it).
std::string ComposeMailText(const OutgoingMail& mail, std::time_t now, const std::string& messageId);

// "Mon, 09 Mar 2001 17:05:00 +0000" for t, whatever the locale.
std::string MailDate(std::time_t t);

}  // namespace corvane
