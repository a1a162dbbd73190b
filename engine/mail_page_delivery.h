#pragma once
// The pages of one inbox scan delivered outside the send queue and without a message
// box: alphanumeric pages of pagers that share a paging service (number, type, password,
// wait and speed) go out in one call, numeric pages one call each, through the
// transport each pager and "PagePort" name. Every page is written to the page log
// ("LogMail") or, with its result, to the error log; a page that did not go out is
// marked failed, so that its message is paged again at the next scan.

#include "engine/send_run.h"
#include "mail/mail_pages.h"

namespace corvane {

// Holds the page-in-progress flag for its whole run; the page port is opened for it
// (taking the line from the monitor modem when both are one) and the monitor modem has
// its line back afterwards. A cancel ends the run: the pages not sent yet are logged as
// cancelled and marked failed.
void DeliverMailPages(SendRunContext& context, MailPageSet& set);

}  // namespace corvane
