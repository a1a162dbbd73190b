#include "app/core/schedule_send.h"

#include "common/main_view.h"
#include "common/message_box.h"
#include "pim/local_time.h"
#include "pim/schedule_list.h"
#include "settings/settings.h"

namespace corvane {

ScheduleFields InitialScheduleFields(std::time_t now)
{
    WallTime today = ToWallTime(now);
    ScheduleFields fields;
    fields.month = std::to_string(today.month);
    fields.day = std::to_string(today.day);
    fields.year = std::string(today.year % 100 < 10 ? "0" : "") + std::to_string(today.year % 100);
    fields.time = "12:00p";
    fields.interval = "1";
    fields.remaining = "1";
    return fields;
}

bool ScheduleEntries(const PreparedSend& send, int messaging, ScheduleFields fields, CScheduleList& schedules,
                     ISettings& settings, IMainView& view, IMessageBox& messageBox)
{
    fields.pagers.clear();
    for (const PagerRecord& entry : send.entries) fields.pagers.push_back(entry.Code);
    const bool known = messaging == kSourcePrompt || messaging == kSourceDefault;
    fields.messageSource = static_cast<std::int16_t>(known ? messaging : kSourcePagerSetting);
    ScheduleEntry entry = MakeSchedule(fields);
    if (!entry.error.empty()) {
        messageBox.Show(entry.error, kScheduleCaption, MbIcon::Warning, MbButtons::Ok);
        return false;
    }
    schedules.Add(entry.page, entry.timeOfDay);
    if (settings.IsOn(key::AutoMinimize)) view.Minimize();
    return true;
}

}  // namespace corvane
