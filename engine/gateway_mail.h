#pragma once
// The mail a page becomes for the gateway products. Corvane/md ("MD") gets it at
// "MailAddress" with the subject "CVTOM2 " and the ten pager fields separated by '\';
// Corvane/ex ("EX") gets the subject "CVTOEX" and reads the pager from the recipient
// itself: "[PAGE:" + the pager descriptor + "]" as the quoted local part of an address
// in the sender's domain. The body is the page text.
//
// CR and LF in a field become blanks, so no pager record can start a new header line
// or a second recipient; inside the quoted local part '"' and '\' are escaped.

#include <string>

#include "directory/pager_record.h"
#include "settings/settings.h"

namespace corvane {

struct GatewayMail {
    std::string recipient;
    std::string subject;
    std::string body;
};

// For pagePort "MD" or "EX".
GatewayMail ComposeGatewayMail(const std::string& pagePort, const PagerRecord& pager, const std::string& text,
                               ISettings& settings);

}  // namespace corvane
