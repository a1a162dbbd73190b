#pragma once
// Handing a page to the paging server Corvane/sv: one connection per page, one request
// written, closed again; no answer is awaited. The connect waits through the event
// pump, so the shell stays alive and Cancel ends it.
//
// The request is the page text, byte 0x02, the pager's UserName, byte 0x02 and the
// pager descriptor, written as they stand (a 0x02 in the text is sent too).

#include <cstdint>
#include <string>

#include "common/clock.h"
#include "common/event_pump.h"
#include "common/message_box.h"
#include "directory/pager_record.h"
#include "settings/settings.h"

namespace corvane {

inline constexpr const char* kSocketErrorCaption = "Socket Error";
// How long a connection attempt (and then the write) may take.
inline constexpr int kPagingServerTimeoutMs = 20000;

// "IPAddress": the decimal value of the 32 bits, first octet highest. Values past
// 2147483647 are the same 32 bits; text that is no number is 0.
std::uint32_t PagingServerAddress(const std::string& setting);
// "10.0.0.5" for 167772165.
std::string DottedAddress(std::uint32_t address);

// The pager as the gateways know it, fields separated by '/': "A/phone/ID/baud/password/
// max length" for an alphanumeric pager (PagerType "1"; a BaudRate starting with '<'
// takes pagePortBaud), "N/phone/ID/delay/PIN delay/separator" for any other.
std::string PagerDescriptor(const PagerRecord& pager, const std::string& pagePortBaud);

// The request bytes for one page.
std::string PagingServerRequest(const PagerRecord& pager, const std::string& text, const std::string& pagePortBaud);

// The message for a connection that failed with error (an errno value).
std::string PagingServerConnectText(int error);
std::string PagingServerSocketText(int error);

struct PagingServerDeps {
    ISettings& settings;
    IEventPump& pump;
    const IClock& clock;
    IMessageBox& messageBox;
};

// Sends one page to the server of "IPAddress" and "IPPort". True when the request was
// written whole; otherwise the failure is shown (caption "Socket Error") when
// showErrors is set, and nothing is shown after the user's Cancel.
bool SendToPagingServer(PagingServerDeps deps, const PagerRecord& pager, const std::string& text, bool showErrors);

}  // namespace corvane
