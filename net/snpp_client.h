#pragma once
// The SNPP client: delivers pages over TCP to a paging company's SNPP server.
//
// One client serves one delivery run: pages are added (several pagers and the parts of
// a split message share one connection), SendAll connects, sends each page as
// PAGE / MESS / SEND followed by RESE, says QUIT and closes. A server that wants a login
// is given one (LOGI) after its greeting and after every RESE. Each page's entry receives
// its own result. The client waits on its socket through the event pump, so the shell
// stays alive and the user can cancel; every wait is measured on the clock.

#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/event_pump.h"
#include "common/message_box.h"
#include "common/status_line.h"
#include "transport/page_transport.h"

namespace corvane {

struct SnppClientDeps {
    IStatusLine* status;  // may be null
    IEventPump& pump;
    const IClock& clock;
    IMessageBox& messageBox;
};

inline constexpr int kSnppDefaultPort = 7777;
inline constexpr int kSnppGreetingTimeoutMs = 60000;
inline constexpr int kSnppCommandTimeoutMs = 10000;
// How long a connection attempt may take before it counts as timed out (102).
inline constexpr int kSnppConnectTimeoutMs = 30000;

inline constexpr const char* kSnppNoResponseText = "No Response was Received";
inline constexpr const char* kSnppCancelledText = "Canceled by user";

// Message text as sent: every byte outside 0x20-0x7F becomes a space.
std::string CleanSnppText(std::string_view text);
// The digits '0'-'9' of a PIN.
std::string SnppPinDigits(std::string_view pin);
// A numeric page's text: '0'-'9', '*' and '#' only.
std::string SnppNumericText(std::string_view digits);

class CSnppClient final : public IPageCall {
public:
    // dialString is the pager's PhoneNumber: "SNPP:" and a host, or a host, ':' and a
    // port; "user@" or "user:password@" in front of the host makes the client log in as
    // user, with that password or else with password (the service's). retries is the
    // number of further attempts after a failed one ("DialAttempts").
    CSnppClient(SnppClientDeps deps, const std::string& dialString, int retries, const std::string& password = "");
    ~CSnppClient() override;
    CSnppClient(const CSnppClient&) = delete;
    CSnppClient& operator=(const CSnppClient&) = delete;

    // IPageCall. The PIN is the entry's PagerID; adding a page sets its DeliveryStatus to 0.
    void AddPage(bool counted, PagerRecord& entry, const std::string& message, const std::string& logText) override;
    void AddPageFirst(bool counted, PagerRecord& entry, const std::string& message,
                      const std::string& logText) override;
    int SendAlphaPages() override { return SendAll(); }
    int SendNumericPage(const PagerRecord& entry, const std::string& numericText) override
    {
        return SendNumeric(entry.PagerID, numericText);
    }
    void ShowError(const PagerRecord* single) override { ReportError(single); }
    int CountedPages() const override { return m_pageCount; }
    std::vector<CountedPage> Counted() const override;
    bool IsSnpp() const override { return true; }

    // Sends every queued page over one connection; 0 when all were delivered, else the
    // result of the last page that failed (109 when the user cancelled).
    int SendAll();
    // One numeric page to pin whose message is the digits, '*' and '#' of digits.
    int SendNumeric(const std::string& pin, const std::string& digits);
    // The message box for the last result, titled after the entry when one is given.
    void ReportError(const PagerRecord* entry);
    // The text ReportError shows ("" for result 0).
    std::string ErrorText() const;

    const std::string& host() const { return m_host; }
    const std::string& user() const { return m_user; }
    int port() const { return m_port; }
    int error() const { return m_error; }
    int socketError() const { return m_socketError; }
    const std::string& serverText() const { return m_serverText; }
    const std::string& lastPin() const { return m_lastPin; }

private:
    struct QueuedPage {
        bool counted;
        std::string text;       // cleaned
        std::string logText;    // kept for the log, never sent
        std::string pin;        // as the entry holds it: shown in messages
        std::string pinDigits;  // as sent
        PagerRecord* entry;     // null for a numeric page
    };
    enum class ReplyKind { Answer, NoReply, Cancelled, NoConnection };
    struct Reply {
        ReplyKind kind;
        int code = 0;
        std::string text;
    };
    enum class ReplyClass { Accepted, Temporary, Failed, NoReply, Cancelled };

    QueuedPage MakePage(bool counted, PagerRecord& entry, const std::string& message, const std::string& logText);

    // The dialogue.
    Reply Transact(const std::string& command);
    bool SendCommand(const std::string& command, std::uint64_t start, int timeoutMs);
    bool ReadAvailable(std::string& buffer);
    bool WaitAndCheckCancel(std::uint64_t start, int timeoutMs, int fd);
    static Reply ParseReply(const std::string& buffer);
    static ReplyClass Classify(const Reply& reply);

    bool Connect();
    int LogIn();
    Reply Reset();
    int OpenConnection(int fd);
    bool ConnectWithRetries();
    int SendOnePage(const QueuedPage& page);
    int SendPageWithRetries(const QueuedPage& page);
    void Close();
    void CloseSocket();
    void EndRun();
    int Attempts() const { return (m_retries > 0 ? m_retries : 0) + 1; }

    void SetStatus(const char* text);
    void ResetStatus();

    SnppClientDeps m;
    std::string m_host;
    int m_port = kSnppDefaultPort;
    std::string m_user;  // empty: the server is not asked for a login
    std::string m_password;
    bool m_loggedIn = false;
    bool m_loginRefused = false;  // for good: no further attempts
    int m_retries;
    int m_socket = -1;
    bool m_cancelled = false;
    int m_error = 0;
    int m_socketError = 0;
    std::string m_serverText;
    std::string m_lastPin;
    int m_pageCount = 0;
    std::vector<QueuedPage> m_pages;
};

}  // namespace corvane
