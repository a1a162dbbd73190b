#include "directory/pager_file.h"

#include "common/file_io.h"
#include "common/message_box.h"
#include "directory/damaged_file.h"
#include "directory/monitor_file.h"
#include "directory/shared_odbc.h"
#include "settings/settings.h"

#include <memory>
#include <vector>

namespace corvane {
namespace {

// Reads one record in any layout. The layout number, when there is one, decides the head;
// the common tail and the code follow. Every read is checked: a false return means the
// record is damaged and nothing after it can be trusted.
class CPagerRecordReader {
public:
    CPagerRecordReader(CDataReader& in, PagerRecord& record) : m_in(in), m_r(record) {}

    bool Read()
    {
        std::int16_t first = 0;
        if (!m_in.Word(first)) return false;
        if (first >= 1 && first <= kPagerLayout) return Head(first) && Tail();
        // The oldest layout has no number: the word is the length of UserName, and the
        // common tail follows the name directly.
        return m_in.StringBody(first, m_r.UserName) && Tail();
    }

private:
    bool Head(int layout)
    {
        switch (layout) {
        case 14: return m_in.Word(m_r.PagesPerCall) && Head(13);
        case 13: return m_in.String(m_r.BaudRate) && Head(12);
        case 12: return m_in.String(m_r.PinDelayTime) && Head(11);
        case 11: return m_in.String(m_r.ServiceName) && Head(10);
        case 10: return m_in.String(m_r.Separator) && Head(9);
        case 9: return LaterHead(false, false);
        case 8: return LaterHead(true, true);
        case 7: return LaterHead(true, false);
        case 6: return m_in.String(m_r.SystemPassword) && Head(5);
        case 5: return m_in.String(m_r.CustomData) && Head(4);
        case 4: return m_in.Word(m_r.MaximumPageLength) && Head(3);
        case 3: return m_in.Word(m_r.PageCounter) && m_in.Word(m_r.SendPageCounter) && Head(2);
        case 2: return EarlyFlags() && Head(1);
        case 1: return m_in.String(m_r.UserName) && OneGroup();
        default: return false;
        }
    }

    // Layouts 7 to 9: the numbers grouped together and a group list of any length.
    bool LaterHead(bool hasFlags, bool flagsAsStored)
    {
        if (!m_in.String(m_r.SystemPassword) || !m_in.String(m_r.CustomData) ||
            !m_in.Word(m_r.MaximumPageLength) || !m_in.Word(m_r.PageCounter) ||
            !m_in.Word(m_r.SendPageCounter))
            return false;
        if (hasFlags && !(flagsAsStored ? m_in.Word(m_r.AutoPageFlags) : EarlyFlags())) return false;
        return m_in.String(m_r.UserName) && GroupList();
    }

    // Before layout 8 the word only said "receives automatic pages": that is all three.
    bool EarlyFlags()
    {
        std::uint16_t flags = 0;
        if (!m_in.Word(flags)) return false;
        m_r.AutoPageFlags = flags != 0 ? kAutoCallMonitor | kAutoPim | kAutoMail : 0;
        return true;
    }

    // Layouts 1 to 6 hold exactly one group string, kept even when it is empty.
    bool OneGroup()
    {
        std::string group;
        if (!m_in.String(group)) return false;
        m_r.Groups.push_back(std::move(group));
        return true;
    }

    // Group strings ended by a length word below 1 (the writer ends them with 0).
    bool GroupList()
    {
        for (;;) {
            std::int16_t length = 0;
            if (!m_in.Word(length)) return false;
            if (length < 1) return true;
            std::string group;
            if (!m_in.StringBody(length, group)) return false;
            m_r.Groups.push_back(std::move(group));
        }
    }

    bool Tail()
    {
        for (std::string* field : {&m_r.WaitForConnection, &m_r.DelayTime, &m_r.PagerID, &m_r.PagerType,
                                   &m_r.PhoneNumber, &m_r.VoiceOne, &m_r.VoiceTwo,
                                   &m_r.DefaultPageContent, &m_r.CustomMessage})
            if (!m_in.String(*field)) return false;
        return m_in.Word(m_r.Code);
    }

    CDataReader& m_in;
    PagerRecord& m_r;
};

// The shared file's failure texts; P is the full path of the file.
struct ReadFailureText {
    std::string text;
    const char* caption;
};

ReadFailureText SharedReadFailure(FileError error, const std::string& path)
{
    switch (error) {
    case FileError::NotFound:
        return {"Unable to locate the shared pager data file " + path +
                    " on that path.  Please correct the pathname to the file on the Pager Data tab in "
                    "Preferences.",
                "Pager Read Error"};
    case FileError::BadPath:
        return {"Unable to locate the shared pager data file " + path +
                    ".  That is not a valid path.  Please correct the pathname to the file on the Pager "
                    "Data tab in Preferences.",
                "Pager Read Error"};
    case FileError::Sharing:
        return {"Unable to access the shared pager data file " + path +
                    ".  Another process is currently writing to the file.",
                "Sharing Violation"};
    default:
        return {"Unspecified error reading the shared pager data file " + path + ".", "Pager Read Error"};
    }
}

// Reads the shared file, asking Retry or Cancel while it cannot be read. False on Cancel.
bool ReadSharedFile(IMessageBox& messageBox, const std::string& path, std::string& bytes)
{
    for (;;) {
        FileError error = ReadLockedFile(path, bytes);
        if (error == FileError::None) return true;
        ReadFailureText failure = SharedReadFailure(error, path);
        if (messageBox.Show(failure.text, failure.caption, MbIcon::Warning, MbButtons::RetryCancel) !=
            MbAnswer::Retry)
            return false;
    }
}

// Replaces a local data file, asking Retry or Cancel while it cannot be written. The file
// is written beside its old self and renamed over it, so a crash or a full disk part way
// leaves the old file whole. False on Cancel, the old file left as it was.
bool WriteLocalFile(IMessageBox& messageBox, const std::string& path, const std::string& bytes)
{
    for (;;) {
        FileError error = WriteFileAtomically(path, bytes);
        if (error == FileError::None) return true;
        bool sharing = error == FileError::Sharing;
        const char* text = sharing ? "Unable to write the local pager data file.  Another process is "
                                     "currently using the file."
                                   : "Unspecified error writing the local pager data file.";
        const char* caption = sharing ? "Sharing Violation" : "Pager Write Error";
        if (messageBox.Show(text, caption, MbIcon::Warning, MbButtons::RetryCancel) != MbAnswer::Retry)
            return false;
    }
}

}  // namespace

PagerReadResult ReadPagerRecords(std::string_view bytes, CPagerList& list)
{
    CDataReader in(bytes);
    PagerReadResult result;
    while (in.Remaining() >= 2) {
        PagerRecord& record = list.AddBlank();
        if (!CPagerRecordReader(in, record).Read()) {
            list.Remove(record);
            result.damaged = true;
            break;
        }
        ++result.records;
    }
    return result;
}

void WritePagerRecord(CDataWriter& out, const PagerRecord& r)
{
    out.Word(kPagerLayout);
    out.Word(r.PagesPerCall);
    for (const std::string* field : {&r.BaudRate, &r.PinDelayTime, &r.ServiceName, &r.Separator,
                                     &r.SystemPassword, &r.CustomData})
        out.String(*field);
    out.Word(r.MaximumPageLength);
    out.Word(r.PageCounter);
    out.Word(r.SendPageCounter);
    out.String(r.UserName);
    for (const auto& group : r.Groups) out.String(group);
    out.Word(std::int16_t{0});
    for (const std::string* field : {&r.WaitForConnection, &r.DelayTime, &r.PagerID, &r.PagerType,
                                     &r.PhoneNumber, &r.VoiceOne, &r.VoiceTwo, &r.DefaultPageContent,
                                     &r.CustomMessage})
        out.String(*field);
    out.Word(r.Code);
}

std::string WritePagerRecords(const CPagerList& list)
{
    CDataWriter out;
    // Shared pagers belong to their own file, and the scratch record (code 0) stands for
    // pagers that are in the list already.
    for (const auto& pager : list.records())
        if (pager->Code > 0) WritePagerRecord(out, *pager);
    return out.bytes();
}

bool ReadLocalDataFile(const std::string& path, std::string& bytes)
{
    FileError error = ReadLockedFile(path, bytes);
    if (error == FileError::Sharing) return ReadWholeFile(path, bytes);
    return error == FileError::None;
}

void CPagerList::Reload(const DataFiles& files)
{
    // Asked for again from the events of its own wait (the tick's re-scan, a command, a
    // dialog): the reading under way brings the new pagers.
    if (m_reloading) return;
    m_reloading = true;
    // Built aside: what runs during a wait or a box of the reading (the tick, a send) sees
    // the whole old list, never the local pagers without the shared ones.
    CPagerList fresh;
    bool complete = true;
    if (files.settings.Get(key::SharedType) == "0") {
        fresh.LoadLocal(files);
        fresh.LoadSharedFile(files);
    } else if (std::unique_ptr<CPagerList> shared = ReadSharedOdbc(files)) {
        // The local files are read after the table, which may be waited for: a pager
        // saved meanwhile is in the new list rather than lost with the old one.
        fresh.LoadLocal(files);
        for (auto& record : shared->m_records) fresh.m_records.push_back(std::move(record));
        ApplyMonitorFile(files.Path(kMonitorFileName), fresh);
    } else {
        complete = false;  // the program is ending: the list stays as it was
    }
    m_reloading = false;
    if (!complete) return;
    fresh.RebuildGroupNames();
    m_records = std::move(fresh.m_records);
    m_groupNames = std::move(fresh.m_groupNames);
    m_nextCode = fresh.m_nextCode;
}

void CPagerList::LoadLocal(const DataFiles& files)
{
    // A missing or unreadable local file is an empty local part, without a message; a
    // damaged one is kept and told once before a save can replace it.
    const std::string path = files.Path(kPagerFileName);
    std::string bytes;
    if (ReadLocalDataFile(path, bytes)) {
        PagerReadResult read = ReadPagerRecords(bytes, *this);
        if (read.damaged) ReportDamagedFile(files.messageBox, kDamagedPagerFile, path, bytes, read.records + 1);
    }
    ApplyMonitorFile(files.Path(kMonitorFileName), *this);
    m_nextCode = 1;
}

void CPagerList::LoadSharedFile(const DataFiles& files)
{
    std::string folder = files.settings.Get(key::PagerFilePath);
    if (folder.empty()) return;
    if (folder.back() != '/') folder += '/';
    std::string path = folder + kPagerFileName;
    std::string bytes;
    if (!ReadSharedFile(files.messageBox, path, bytes)) return;

    std::size_t first = size();
    ReadPagerRecords(bytes, *this);
    // Another installation's local codes become negative here, which marks them read-only.
    // A stored code below 1 cannot come from a local file, and negated it would read as a
    // local pager (or the scratch record) that the next save writes into our own file.
    std::vector<const PagerRecord*> unusable;
    for (std::size_t i = first; i < size(); ++i) {
        PagerRecord& pager = at(i);
        if (pager.Code <= 0) unusable.push_back(&pager);
        pager.Code = static_cast<std::int16_t>(-pager.Code);
        pager.AutoPageFlags = 0;
        pager.SendPageCounter = 0;
    }
    for (const PagerRecord* pager : unusable) Remove(*pager);
    ApplyMonitorFile(files.Path(kMonitorFileName), *this);
}

bool CPagerList::Save(const DataFiles& files)
{
    bool pagersSaved = WriteLocalFile(files.messageBox, files.Path(kPagerFileName), WritePagerRecords(*this));
    // The assignments are written even when the pagers were not, as they cover shared
    // pagers as well; those of shared pagers this list does not hold are kept.
    const std::string monitorPath = files.Path(kMonitorFileName);
    std::string before;
    ReadLocalDataFile(monitorPath, before);
    bool monitorsSaved = WriteLocalFile(files.messageBox, monitorPath, WriteMonitorRecords(*this, before));
    return pagersSaved && monitorsSaved;
}

bool SavePageCounters(CPagerList& counted, const DataFiles& files)
{
    // Without a file to go into, the counted list is the only copy of the pagers.
    std::string bytes;
    if (!ReadLocalDataFile(files.Path(kPagerFileName), bytes)) return counted.Save(files);
    CPagerList stored;
    stored.LoadLocal(files);
    for (const auto& pager : counted.records()) {
        if (!pager->SendPageCounter) continue;
        if (PagerRecord* kept = stored.FindByCode(pager->Code)) kept->PageCounter = pager->PageCounter;
    }
    return stored.Save(files);
}

}  // namespace corvane
