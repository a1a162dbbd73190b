#include "engine/transports.h"

#include "engine/gateway_mail.h"
#include "mail/mail_system.h"
#include "net/paging_server_client.h"

namespace corvane {

// One page to the gateway "PagePort" names. True only when the page was handed over:
// a page the mail system or the paging server did not take goes to the error log.
bool CTransports::HandToGateway(const PagerRecord& entry, const std::string& text, bool showErrors)
{
    std::string pagePort = m.settings.Get(key::PagePort);
    if (pagePort == "SV") return SendToPagingServer({m.settings, m.pump, m.clock, m.messageBox}, entry, text, showErrors);
    // Any other port (changed while a run went on) hands nothing over.
    if (pagePort != "MD" && pagePort != "EX") return false;
    if (!m.mail) {
        if (showErrors)
            m.messageBox.Show(MailSendErrorText(kMailNotLoggedOn, ""), kMailErrorCaption, MbIcon::Warning, MbButtons::Ok);
        return false;
    }
    // A logon that failed at start (the server was down then) gets another chance.
    if (!m.mail->LoggedOn()) m.mail->Logon();
    GatewayMail mail = ComposeGatewayMail(pagePort, entry, text, m.settings);
    return m.mail->SendMail(mail.recipient, mail.subject, mail.body, showErrors) == kMailOk;
}

}  // namespace corvane
