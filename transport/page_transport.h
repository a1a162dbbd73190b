#pragma once
// What the send run needs of a transport. The modem page call (TAP and numeric) and the
// SNPP client both are one IPageCall: pages are added, sent in one go, and each page
// entry's DeliveryStatus tells its fate. Gateways take one page at a time.

#include <memory>
#include <string>
#include <vector>

#include "directory/pager_record.h"

namespace corvane {

// A page of a call as the send run logs it.
struct CountedPage {
    PagerRecord* entry;
    std::string logText;
};

class IPageCall {
public:
    virtual ~IPageCall() = default;
    // counted: the page counts towards the call's pages and is logged. Adding a page sets
    // its entry's DeliveryStatus to 0.
    virtual void AddPage(bool counted, PagerRecord& entry, const std::string& message,
                         const std::string& logText) = 0;
    virtual void AddPageFirst(bool counted, PagerRecord& entry, const std::string& message,
                              const std::string& logText) = 0;
    // Runs the call; 0 on success, else the transport's result code.
    virtual int SendAlphaPages() = 0;
    // A numeric page to entry's PagerID with the composed numeric text.
    virtual int SendNumericPage(const PagerRecord& entry, const std::string& numericText) = 0;
    // The message box for the last result; single is the one pager when the caller knows it.
    virtual void ShowError(const PagerRecord* single) = 0;
    virtual int CountedPages() const = 0;
    virtual std::vector<CountedPage> Counted() const = 0;
    virtual bool IsSnpp() const = 0;
};

class ITransports {
public:
    virtual ~ITransports() = default;
    // A modem page call on the open page port for the paging service of entry.
    virtual std::unique_ptr<IPageCall> NewModemCall(const PagerRecord& entry) = 0;
    // An SNPP client for entry's "SNPP:" PhoneNumber.
    virtual std::unique_ptr<IPageCall> NewSnppClient(const PagerRecord& entry) = 0;
    // Hands one page to the gateway that "PagePort" names ("MD", "EX", "SV").
    virtual bool HandToGateway(const PagerRecord& entry, const std::string& text, bool showErrors) = 0;
};

// Result codes of the modem page call.
enum CallResult : int {
    kCallOk = 0,
    kCallPortNotOpen = 1,
    kCallCancelled = 2,
    kCallNoDialtone = 3,
    kCallBusy = 4,
    kCallNoAnswer = 5,
    kCallModemStopped = 6,
    kCallNoIdPrompt = 7,
    kCallNotReady = 8,
    kCallNotAcknowledged = 9,
    kCallWriteError = 10,
    kCallLogonRefused = 11,
    kCallNoGoAhead = 12,
    kCallRejected = 13,
};

// The error-log code of a page that a gateway did not take.
inline constexpr int kGatewayNotHandedOver = 111;

// Result codes of the SNPP client.
enum SnppResult : int {
    kSnppNoSocket = 101,
    kSnppConnectTimeout = 102,
    kSnppConnectRefused = 103,
    kSnppConnectFailed = 104,
    kSnppBadGreeting = 105,
    kSnppPageRejected = 106,
    kSnppMessRejected = 107,
    kSnppSendRejected = 108,
    kSnppCancelled = 109,
    kSnppNoReply = 110,
};

}  // namespace corvane
