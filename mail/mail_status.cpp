#include "mail/mail_status.h"

namespace corvane {

std::string MailSendErrorText(int status, const std::string& detail)
{
    switch (status) {
    case kMailOk:
    case kMailCancelled: return "";
    case kMailNotLoggedOn: return "Corvane is not logged onto the mail system.  Please exit and restart the application.";
    case kMailDiskFull:
        return "There is insufficient disk space to send the page to Corvane/md.  Please free some disk space before "
               "trying again.";
    case kMailNoMemory:
        return "There is insufficient memory to send the page to Corvane/md.  Please free some memory by closing some "
               "applications.";
    case kMailUnknownRecipient:
        return "Your page cannot be sent because the specified Corvane/md mail address does not exist in the address "
               "list.  Please check the address name in the Paging tab of the Modem Configuration dialog.";
    case kMailInvalidSession: return "The logon to the mail system has been lost.  You should exit and restart Corvane.";
    case kMailAmbiguousRecipient:
        return "Your page cannot be sent because the specified Corvane/md mail address was too ambiguous and matched "
               "more than one entry in the address list.  Please check the address name in the Paging tab of the "
               "Modem Configuration dialog.";
    case kMailInsecure:
        return "Your page cannot be sent because no secure connection to the mail server could be made (" + detail +
               ").  The server's certificate must be signed by an authority this system trusts.";
    case kMailNoSendServer:
        return "Your page cannot be sent because no mail server for sending is set.  Please set MailSmtpServer in the "
               "Preferences section of the settings.";
    default: return "Your page cannot be sent.  An unspecified error was received.  You should exit and restart Windows.";
    }
}

std::string MailLogonErrorText(int status, const std::string& detail)
{
    if (status != kMailInsecure) return "";
    return "Corvane could not log onto the mail system because no secure connection to the mail server could be "
           "made (" + detail + ").  The server's certificate must be signed by an authority this system trusts.";
}

}  // namespace corvane
