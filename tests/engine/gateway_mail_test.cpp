// The mail a page becomes for Corvane/md and Corvane/ex, and what HandToGateway does when
// no mail can be sent.

#include <gtest/gtest.h>

#include "engine/gateway_mail.h"
#include "engine/transports.h"
#include "mail/mail_system.h"
#include "modem/port_slots.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"

namespace corvane {
namespace {

using namespace test;

PagerRecord Pager(const char* type)
{
    PagerRecord p;
    p.UserName = "Bob";
    p.PagerType = type;
    p.PhoneNumber = "5550100";
    p.PagerID = "1002";
    p.SystemPassword = "pw";
    p.WaitForConnection = "45";
    p.DelayTime = "2";
    p.PinDelayTime = "3";
    p.Separator = "#";
    p.MaximumPageLength = 120;
    return p;
}

TEST(GatewayMail, SubjectsAndRecipientsOfBothGateways)
{
    CMemorySettings settings;
    settings.Write(key::MailAddress, "gateway@example.org");
    GatewayMail md = ComposeGatewayMail("MD", Pager("1"), "Call me", settings);
    EXPECT_EQ(md.recipient, "gateway@example.org");
    EXPECT_EQ(md.subject, "CVTOM2 Bob\\1\\5550100\\45\\2\\pw\\#\\1002\\3\\120");
    EXPECT_EQ(md.body, "Call me");
    // Empty fields keep their separators; line breaks in a field become blanks.
    PagerRecord odd;
    odd.UserName = "Eve\r\nBcc: x@example.org";
    odd.PagerType = odd.WaitForConnection = odd.DelayTime = odd.PinDelayTime = odd.Separator = "";
    odd.MaximumPageLength = 0;
    EXPECT_EQ(ComposeGatewayMail("MD", odd, "a\r\nb", settings).subject, "CVTOM2 Eve  Bcc: x@example.org\\\\\\\\\\\\\\\\\\0");
    EXPECT_EQ(ComposeGatewayMail("MD", odd, "a\r\nb", settings).body, "a\r\nb");

    struct Case {
        const char* from;      // MailFromAddress
        const char* name;      // MailName
        const char* baud;      // PagePortBaud, "" for unset
        const char* pagerType;
        const char* recipient;
    };
    const Case cases[] = {
        {"corvane@example.org", "", "", "1", "\"[PAGE:A/5550100/1002/300/pw/120]\"@example.org"},
        {"", "me@corp.example", "1200", "1", "\"[PAGE:A/5550100/1002/1200/pw/120]\"@corp.example"},
        {"", "me", "", "0", "\"[PAGE:N/5550100/1002/2/3/#]\"@localhost"},
        {"", "", "", "2", "\"[PAGE:N/5550100/1002/2/3/#]\"@localhost"},  // any other type counts as numeric
    };
    for (const Case& c : cases) {
        CMemorySettings s;
        s.Write(key::MailFromAddress, c.from);
        s.Write(key::MailName, c.name);
        if (*c.baud) s.Write(key::PagePortBaud, c.baud);
        GatewayMail ex = ComposeGatewayMail("EX", Pager(c.pagerType), "x", s);
        EXPECT_EQ(ex.recipient, c.recipient);
        EXPECT_EQ(ex.subject, "CVTOEX");
    }
    PagerRecord quoted = Pager("0");
    quoted.PhoneNumber = "55\"5\\0\n1";
    EXPECT_EQ(ComposeGatewayMail("EX", quoted, "x", settings).recipient,
              "\"[PAGE:N/55\\\"5\\\\0 1/1002/2/3/#]\"@localhost");
}

TEST(GatewayMail, APageNoGatewayTookIsNeverReportedHandedOver)
{
    CMemorySettings settings;
    CFakeClock clock;
    CFakePump pump(clock);
    CRecordingMessageBox boxes;
    CPortSlots ports(settings, boxes, pump, clock);
    CMailSystem mail({settings, pump, clock, boxes});  // no "MailImapServer": no mail system
    const char* notLoggedOn =
        "Mail Error: Corvane is not logged onto the mail system.  Please exit and restart the application.\n";

    settings.Write(key::PagePort, "COM1");  // changed while a run was going on
    CTransports withMail({settings, ports, nullptr, pump, clock, boxes, &mail});
    EXPECT_FALSE(withMail.HandToGateway(Pager("1"), "x", true));
    EXPECT_TRUE(boxes.shown.empty());

    settings.Write(key::PagePort, "MD");
    EXPECT_FALSE(withMail.HandToGateway(Pager("1"), "x", true));
    EXPECT_EQ(boxes.Texts(), notLoggedOn);
    EXPECT_FALSE(withMail.HandToGateway(Pager("1"), "x", false));
    EXPECT_EQ(boxes.shown.size(), 1u);

    CTransports withoutMail({settings, ports, nullptr, pump, clock, boxes});
    settings.Write(key::PagePort, "EX");
    EXPECT_FALSE(withoutMail.HandToGateway(Pager("0"), "x", true));
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, boxes.shown[0].text);
}

}  // namespace
}  // namespace corvane
