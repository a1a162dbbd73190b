#pragma once
// SERVICES.DAT: the paging services, records back to back with no file header. The
// writer writes layout 4; the reader takes every older layout as well.
//
// Record, layout 4: layout word 4, PagesPerCall, BaudRate, PinDelayTime, then the tail
// every layout shares: Separator, SystemPassword, MaximumPageLength, Name,
// WaitForConnection, DelayTime, ServiceType, PhoneNumber, Code. Layout 3 has BaudRate
// and PinDelayTime before the tail, layout 2 PinDelayTime alone, and any other first
// word (layout 1) is followed by the tail directly. Fields a layout lacks keep the
// defaults of a new service.

#include <string>
#include <string_view>

#include "directory/service_record.h"

namespace corvane {

class CDataWriter;
class CServiceList;

inline constexpr const char* kServicesFileName = "SERVICES.DAT";
inline constexpr std::int16_t kServiceLayout = 4;

struct ServiceReadResult {
    int records = 0;       // records appended to the list
    bool damaged = false;  // reading stopped at a damaged record
};

// Appends every record of a SERVICES.DAT image to list, in file order. A record with a
// bad length word (0, negative, above 1000) or cut short by the end of the data is
// dropped and ends the reading; the records before it stay.
ServiceReadResult ReadServiceRecords(std::string_view bytes, CServiceList& list);

void WriteServiceRecord(CDataWriter& out, const ServiceRecord& record);
// The file image Save writes: every local record (positive code) in list order.
std::string WriteServiceRecords(const CServiceList& list);

// Message texts of the shared and local file failures.
inline constexpr const char* kServiceReadErrorCaption = "Service Read Error";
inline constexpr const char* kServiceWriteErrorCaption = "Service Write Error";
inline constexpr const char* kSharingViolationCaption = "Sharing Violation";
inline constexpr const char* kServiceWriteSharingText =
    "Unable to write the local service data file.  Another process is currently using the file.";
inline constexpr const char* kServiceWriteOtherText = "Unspecified error writing the local service data file.";

}  // namespace corvane
