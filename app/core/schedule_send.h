#pragma once
// The Schedule button: the same preparation as Page, and then, instead of a send, the
// Schedule Page dialog whose date, time and repeat fields make a scheduled page.

#include <ctime>

#include "app/core/prepare_send.h"
#include "pim/schedule_entry.h"

namespace corvane {

class CScheduleList;
class IMainView;
class IMessageBox;
class ISettings;

// The dialog's fields as it opens: today's date (month, day, two-digit year), "12:00p",
// every repeat box and the count "1", no repetition, nothing skipped.
ScheduleFields InitialScheduleFields(std::time_t now);

// OK of the Schedule Page dialog: the prepared pagers (in order) with the form's message
// choice and the dialog's fields become a scheduled page, saved at once; "AutoMinimize"
// minimises the window. False, with the reason in a box, when the fields make no
// schedule (the dialog then stays open).
bool ScheduleEntries(const PreparedSend& send, int messaging, ScheduleFields fields, CScheduleList& schedules,
                     ISettings& settings, IMainView& view, IMessageBox& messageBox);

}  // namespace corvane
