#pragma once
// One pager: a destination of pages, reached through a paging company.

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// AutoPageFlags bits: which automatic pages a pager receives.
inline constexpr std::uint16_t kAutoCallMonitor = 1;
inline constexpr std::uint16_t kAutoPim = 2;
inline constexpr std::uint16_t kAutoMail = 4;

inline constexpr const char* kNoService = "<None>";
inline constexpr const char* kDefaultBaud = "<default>";

struct PagerRecord {
    // Positive: local (1..32000); negative: shared, read-only; 0: the scratch record that
    // stands for several pagers edited together.
    std::int16_t Code = 0;
    // In a page entry of the send run this holds the request's origin instead.
    std::uint16_t AutoPageFlags = 0;
    std::int16_t PageCounter = 0;
    std::uint16_t SendPageCounter = 0;
    std::int16_t MaximumPageLength = 80;
    std::vector<std::string> Groups;
    std::string UserName;
    std::string WaitForConnection = "60";
    std::string DelayTime = "8";
    std::string PinDelayTime = "2";
    std::string PhoneNumber;
    std::string VoiceOne;
    std::string VoiceTwo;
    std::string CustomData;
    std::string PagerID;
    std::string PagerType = "0";           // "0" numeric; anything else alphanumeric
    std::string DefaultPageContent = "1";  // "0" default, "1" prompt, "2" custom; "-1" scratch only
    std::string CustomMessage;
    std::string SystemPassword;
    std::string Separator = "*";
    std::string ServiceName = kNoService;
    std::string BaudRate = kDefaultBaud;
    std::int16_t PagesPerCall = 9999;
    // Page entries only, never stored: 0 delivered, else the transport's result for the page.
    std::uint16_t DeliveryStatus = 0;

    bool IsNumeric() const { return PagerType == "0"; }
    bool IsShared() const { return Code < 0; }
    bool HasGroup(const std::string& name) const;

    bool operator==(const PagerRecord&) const = default;
};

}  // namespace corvane
