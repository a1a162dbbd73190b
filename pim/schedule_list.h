#pragma once
// The scheduled pages of SCHEDS.DAT, in file order, and the one-second test that fires
// the ones that are due. The list keeps its earliest next time, so a tick with nothing
// due costs one comparison however many schedules there are.

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "pim/scheduled_page.h"

namespace corvane {

class IMessageBox;

class CScheduleList {
public:
    struct Entry {
        CScheduledPage page;
        std::uint64_t id = 0;  // names the schedule while the program runs (a window's selection)
        int timeOfDay = 0;     // its wall-clock time, kept across daylight-saving changes
    };
    // Off: nothing fires. FirstPass: the first tick after loading, which drops the missed
    // occurrences of schedules marked skip-if-missed. On: schedules fire as they fall due.
    enum class State { Off, FirstPass, On };
    using Fire = std::function<void(const CScheduledPage&)>;

    // Clears the list and reads the file (a missing or unreadable file gives an empty
    // list); occurrences due before now count as missed. False when the file was damaged
    // (the whole records before the damage are kept).
    bool Load(const std::string& path, std::time_t now);
    // Writes the whole list; false when the file could not be replaced (the old one stays).
    bool Save();

    // A new schedule from the Schedule Page dialog: added, saved, processing on.
    std::uint64_t Add(const CScheduledPage& page, int timeOfDay);
    // False when no schedule has that id (it fired for the last time meanwhile).
    bool Remove(std::uint64_t id);

    // The tick: fires each due schedule in list order, moves it on or removes it, and
    // saves when anything changed.
    void Tick(std::time_t now, const Fire& fire);

    const std::vector<Entry>& Entries() const { return m_entries; }
    const Entry* Find(std::uint64_t id) const;
    State GetState() const { return m_state; }
    // The earliest next time, or the largest time when there is no schedule.
    std::time_t NextDue() const { return m_nextDue; }
    // Changes whenever the list does, so a window showing it knows when to redraw.
    std::uint64_t Revision() const { return m_revision; }
    // True while a change could not be written yet (the tick tries again).
    bool Unsaved() const { return m_unsaved; }

private:
    void Changed();

    std::string m_path;
    std::vector<Entry> m_entries;
    State m_state = State::Off;
    std::time_t m_loadedAt = 0;
    std::time_t m_nextDue = 0;
    std::uint64_t m_nextId = 1;
    std::uint64_t m_revision = 0;
    bool m_unsaved = false;
};

// The Delete command of the Scheduled Pages window: asks, then removes and saves.
// False when the user said No or the schedule is gone.
bool DeleteScheduledPage(CScheduleList& list, std::uint64_t id, IMessageBox& messageBox);

inline constexpr const char* kDeleteScheduleText =
    "Are you sure you want to delete the currently selected scheduled page?";
inline constexpr const char* kDeleteScheduleCaption = "Delete Scheduled Page";

}  // namespace corvane
