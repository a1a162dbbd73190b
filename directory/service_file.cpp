#include "directory/service_file.h"

#include "common/file_io.h"
#include "common/message_box.h"
#include "directory/damaged_file.h"
#include "directory/data_file.h"
#include "directory/pager_file.h"
#include "directory/service_list.h"
#include "settings/settings.h"

namespace corvane {
namespace {

// The head that follows the layout word differs by layout; the tail is common to all.
bool ReadHead(CDataReader& in, std::int16_t layout, ServiceRecord& record)
{
    switch (layout) {
    case 4:
        return in.Word(record.PagesPerCall) && in.String(record.BaudRate) && in.String(record.PinDelayTime);
    case 3:
        return in.String(record.BaudRate) && in.String(record.PinDelayTime);
    case 2:
        return in.String(record.PinDelayTime);
    default:
        return true;  // layout 1: the tail follows the first word directly
    }
}

bool ReadTail(CDataReader& in, ServiceRecord& record)
{
    return in.String(record.Separator) && in.String(record.SystemPassword) &&
           in.Word(record.MaximumPageLength) && in.String(record.Name) &&
           in.String(record.WaitForConnection) && in.String(record.DelayTime) &&
           in.String(record.ServiceType) && in.String(record.PhoneNumber) && in.Word(record.Code);
}

std::string SharedReadText(FileError error, const std::string& path)
{
    switch (error) {
    case FileError::NotFound:
        return "Unable to locate the shared service data file " + path +
               " on that path.  Please correct the pathname to the file on the Service Data tab in "
               "Preferences.";
    case FileError::BadPath:
        return "Unable to locate the shared service data file " + path +
               ".  That is not a valid path.  Please correct the pathname to the file on the Service "
               "Data tab in Preferences.";
    case FileError::Sharing:
        return "Unable to access the shared service data file " + path +
               ".  Another process is currently writing to the file.";
    default:
        return "Unspecified error reading the shared service data file " + path + ".";
    }
}

}  // namespace

ServiceReadResult ReadServiceRecords(std::string_view bytes, CServiceList& list)
{
    ServiceReadResult result;
    CDataReader in(bytes);
    std::int16_t layout = 0;
    while (in.Word(layout)) {
        ServiceRecord record;
        if (!ReadHead(in, layout, record) || !ReadTail(in, record)) {
            result.damaged = true;
            break;
        }
        list.Duplicate(record);
        ++result.records;
    }
    return result;
}

void WriteServiceRecord(CDataWriter& out, const ServiceRecord& record)
{
    out.Word(kServiceLayout);
    out.Word(record.PagesPerCall);
    out.String(record.BaudRate);
    out.String(record.PinDelayTime);
    out.String(record.Separator);
    out.String(record.SystemPassword);
    out.Word(record.MaximumPageLength);
    out.String(record.Name);
    out.String(record.WaitForConnection);
    out.String(record.DelayTime);
    out.String(record.ServiceType);
    out.String(record.PhoneNumber);
    out.Word(record.Code);
}

std::string WriteServiceRecords(const CServiceList& list)
{
    CDataWriter out;
    for (const auto& record : list.records())
        if (record->Code > 0) WriteServiceRecord(out, *record);
    return out.bytes();
}

void CServiceList::Reload(const DataFiles& files)
{
    Clear();
    LoadLocal(files);
    // An ODBC pager source shares no services.
    if (files.settings.Get(key::SharedType) == "0") LoadSharedFile(files);
}

void CServiceList::LoadLocal(const DataFiles& files)
{
    Clear();
    // Read even while another copy replaces the file: a list loaded empty here and saved
    // by the service dialog would lose every service and unlink every pager.
    const std::string path = files.Path(kServicesFileName);
    std::string bytes;
    if (ReadLocalDataFile(path, bytes)) {
        ServiceReadResult read = ReadServiceRecords(bytes, *this);
        if (read.damaged)
            ReportDamagedFile(files.messageBox, kDamagedServiceFile, path, bytes,
                              static_cast<std::size_t>(read.records) + 1);
    }
    m_nextCode = 1;
}

void CServiceList::LoadSharedFile(const DataFiles& files)
{
    std::string dir = files.settings.Get(key::PagerFilePath);
    if (dir.empty()) return;
    if (dir.back() != '/') dir += '/';
    std::string path = dir + kServicesFileName;
    std::string bytes;
    for (;;) {
        FileError error = ReadLockedFile(path, bytes);
        if (error == FileError::None) break;
        const char* caption = error == FileError::Sharing ? kSharingViolationCaption : kServiceReadErrorCaption;
        MbAnswer answer =
            files.messageBox.Show(SharedReadText(error, path), caption, MbIcon::Warning, MbButtons::RetryCancel);
        if (answer != MbAnswer::Retry) return;
    }
    std::size_t first = m_records.size();
    ReadServiceRecords(bytes, *this);
    // Another installation's local codes become negative, which marks them read-only. A
    // stored code below 1 cannot come from a local file; negated it would read as a local
    // service (or the scratch record) that the next save writes into our own file.
    std::vector<const ServiceRecord*> unusable;
    for (std::size_t i = first; i < m_records.size(); ++i) {
        ServiceRecord& service = *m_records[i];
        if (service.Code <= 0)
            unusable.push_back(&service);
        else
            service.Code = static_cast<std::int16_t>(-service.Code);
    }
    for (const ServiceRecord* service : unusable) Remove(*service);
}

bool CServiceList::Save(const DataFiles& files)
{
    const std::string image = WriteServiceRecords(*this);
    for (;;) {
        FileError error = WriteFileAtomically(files.Path(kServicesFileName), image);
        if (error == FileError::None) return true;
        bool sharing = error == FileError::Sharing;
        MbAnswer answer = files.messageBox.Show(sharing ? kServiceWriteSharingText : kServiceWriteOtherText,
                                                sharing ? kSharingViolationCaption : kServiceWriteErrorCaption,
                                                MbIcon::Warning, MbButtons::RetryCancel);
        if (answer != MbAnswer::Retry) return false;
    }
}

}  // namespace corvane
