#include "pim/schedule_list.h"

#include <algorithm>
#include <limits>

#include "common/file_io.h"
#include "common/message_box.h"
#include "pim/local_time.h"
#include "pim/schedule_advance.h"
#include "pim/schedule_file.h"

namespace corvane {

bool CScheduleList::Load(const std::string& path, std::time_t now)
{
    m_path = path;
    m_entries.clear();
    m_loadedAt = now;
    m_state = State::FirstPass;
    m_unsaved = false;
    std::string bytes;
    ScheduleReadResult read;
    if (ReadWholeFile(path, bytes)) read = ReadSchedules(bytes);
    for (CScheduledPage& page : read.schedules) {
        int timeOfDay = ToWallTime(page.nextTime).SecondsOfDay();
        m_entries.push_back({std::move(page), m_nextId++, timeOfDay});
    }
    Changed();
    return !read.damaged;
}

bool CScheduleList::Save()
{
    std::vector<CScheduledPage> pages;
    pages.reserve(m_entries.size());
    for (const Entry& entry : m_entries) pages.push_back(entry.page);
    m_unsaved = WriteFileAtomically(m_path, WriteSchedules(pages)) != FileError::None;
    return !m_unsaved;
}

std::uint64_t CScheduleList::Add(const CScheduledPage& page, int timeOfDay)
{
    m_entries.push_back({page, m_nextId++, timeOfDay});
    if (m_state == State::Off) m_state = State::On;
    Changed();
    Save();
    return m_entries.back().id;
}

bool CScheduleList::Remove(std::uint64_t id)
{
    auto found = std::find_if(m_entries.begin(), m_entries.end(), [id](const Entry& e) { return e.id == id; });
    if (found == m_entries.end()) return false;
    m_entries.erase(found);
    Changed();
    Save();
    return true;
}

const CScheduleList::Entry* CScheduleList::Find(std::uint64_t id) const
{
    for (const Entry& entry : m_entries)
        if (entry.id == id) return &entry;
    return nullptr;
}

void CScheduleList::Tick(std::time_t now, const Fire& fire)
{
    if (m_state == State::Off) return;
    if (m_unsaved) Save();
    if (m_state == State::On && now < m_nextDue) return;

    const bool firstPass = m_state == State::FirstPass;
    m_state = State::On;
    bool changed = false;
    for (std::size_t i = 0; i < m_entries.size();) {
        Entry& entry = m_entries[i];
        if (entry.page.nextTime > now) {
            ++i;
            continue;
        }
        // Only an occurrence that fell due while the program was not running is missed;
        // one that falls due in the first second of the run is sent.
        bool missed = firstPass && entry.page.skipIfMissed && entry.page.nextTime < m_loadedAt;
        if (!missed) fire(entry.page);
        changed = true;
        if (MoveOn(entry.page, now, entry.timeOfDay)) {
            ++i;
        } else {
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    if (!changed) return;
    Changed();
    Save();
}

void CScheduleList::Changed()
{
    ++m_revision;
    m_nextDue = std::numeric_limits<std::time_t>::max();
    for (const Entry& entry : m_entries) m_nextDue = std::min(m_nextDue, entry.page.nextTime);
}

bool DeleteScheduledPage(CScheduleList& list, std::uint64_t id, IMessageBox& messageBox)
{
    if (!list.Find(id)) return false;
    if (messageBox.Show(kDeleteScheduleText, kDeleteScheduleCaption, MbIcon::Warning, MbButtons::YesNo) !=
        MbAnswer::Yes)
        return false;
    // The schedule may have fired for the last time while the question was up.
    return list.Remove(id);
}

}  // namespace corvane
