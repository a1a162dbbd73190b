#include "engine/gateway_mail.h"

#include "mail/mail_system.h"
#include "net/paging_server_client.h"

namespace corvane {
namespace {

std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string QuotedLocalPart(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string DomainOf(const std::string& address)
{
    std::size_t at = address.rfind('@');
    std::string domain = at == std::string::npos ? "" : address.substr(at + 1);
    domain = domain.substr(0, domain.find_first_of("> \t\r\n"));
    return domain.empty() ? "localhost" : domain;
}

}  // namespace

GatewayMail ComposeGatewayMail(const std::string& pagePort, const PagerRecord& pager, const std::string& text,
                               ISettings& settings)
{
    GatewayMail mail;
    mail.body = text;
    if (pagePort == "EX") {
        std::string descriptor = OneLine(PagerDescriptor(pager, settings.Get(key::PagePortBaud)));
        mail.recipient = QuotedLocalPart("[PAGE:" + descriptor + "]") + "@" + DomainOf(MailSenderAddress(settings));
        mail.subject = "CVTOEX";
        return mail;
    }
    mail.recipient = OneLine(settings.Get(key::MailAddress));
    mail.subject = "CVTOM2 ";
    const std::string fields[] = {pager.UserName,         pager.PagerType,      pager.PhoneNumber,
                                  pager.WaitForConnection, pager.DelayTime,      pager.SystemPassword,
                                  pager.Separator,         pager.PagerID,        pager.PinDelayTime,
                                  std::to_string(pager.MaximumPageLength)};
    for (std::size_t i = 0; i < std::size(fields); ++i) mail.subject += (i ? "\\" : "") + OneLine(fields[i]);
    return mail;
}

}  // namespace corvane
