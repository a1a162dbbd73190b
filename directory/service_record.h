#pragma once
// One paging service: a paging company's access point, whose attributes the pagers
// that name it copy.

#include <cstdint>
#include <string>

#include "directory/pager_record.h"

namespace corvane {

struct ServiceRecord {
    std::int16_t Code = 0;  // positive local, negative shared, 0 scratch
    std::int16_t MaximumPageLength = 80;
    std::string Name;
    std::string WaitForConnection = "60";
    std::string DelayTime = "8";
    std::string PinDelayTime = "2";
    std::string PhoneNumber;
    std::string ServiceType = "0";  // "0" numeric; anything else alphanumeric
    std::string SystemPassword;
    std::string Separator = "*";
    std::string BaudRate = kDefaultBaud;
    std::int16_t PagesPerCall = 9999;

    bool operator==(const ServiceRecord&) const = default;
};

}  // namespace corvane
