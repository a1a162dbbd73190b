#pragma once
// The results of the mail system. They keep the values of the mail interface the
// program was first written for, because the texts the user sees are tied to them.

#include <string>

namespace corvane {

enum MailStatus : int {
    kMailOk = 0,
    kMailFailure = 2,             // anything not named below: the unspecified error
    kMailLoginFailure = 3,        // the server refused the name or password
    kMailDiskFull = 4,            // the server has no room for the message (SMTP 452, 552)
    kMailNoMemory = 5,
    kMailUnknownRecipient = 14,   // SMTP 550, 551, 553
    kMailNoMessages = 16,
    kMailInvalidSession = 19,     // the login was refused or the connection lost
    kMailAmbiguousRecipient = 21,
    // Not known to the old interface:
    kMailNotLoggedOn = 1000,      // no logon has succeeded
    kMailInsecure = 1001,         // the TLS connection failed (a certificate that does not verify)
    kMailNoSendServer = 1002,     // no server to send through ("MailSmtpServer" is empty)
    kMailCancelled = 1003,        // the user's Cancel or Exit ended the transfer
};

inline constexpr const char* kMailErrorCaption = "Mail Error";

// The message a failed send shows (status not 0); detail is the server's or libcurl's
// words, used only where the text has room for them. Empty for a cancel.
std::string MailSendErrorText(int status, const std::string& detail);
// The message a logon shows, "" for the failures a logon keeps to itself.
std::string MailLogonErrorText(int status, const std::string& detail);

}  // namespace corvane
