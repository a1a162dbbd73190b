// Reminders read from iCalendar texts: appointments and tasks, repetitions with their
// exceptions, the page texts, and damaged or hostile calendars.

#include <gtest/gtest.h>

#include "engine/page_log.h"
#include "pim/calendar_reader.h"
#include "pim/ics_split.h"
#include "tests/pim/pim_test_helpers.h"

namespace corvane::test {
namespace {

constexpr std::time_t kHour = 3600;
constexpr std::time_t kDay = 86400;
constexpr std::time_t k90Days = 90 * kDay;

std::string Calendar(const std::string& items)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + items + "END:VCALENDAR\r\n";
}

std::string Alarm(const std::string& trigger)
{
    return "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER" + trigger + "\r\nEND:VALARM\r\n";
}

std::string Event(const std::string& uid, const std::string& lines, const std::string& alarm = Alarm(":-PT15M"))
{
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20240101T000000Z\r\n" + lines + alarm + "END:VEVENT\r\n";
}

CalendarReading Read(const std::string& text, std::time_t now, std::time_t window = k90Days)
{
    CCalendarReader reader({now, now + window, true}, 1);
    reader.Read(text);
    CalendarReading reading = reader.Take();
    std::sort(reading.reminders.begin(), reading.reminders.end(),
              [](const CPimReminder& a, const CPimReminder& b) { return a.reminderTime < b.reminderTime; });
    return reading;
}

std::vector<std::time_t> Times(const CalendarReading& reading)
{
    std::vector<std::time_t> times;
    for (const CPimReminder& r : reading.reminders) times.push_back(r.reminderTime);
    return times;
}

const std::string kBudget =
    Calendar(Event("budget", "DTSTART:20240506T140000Z\r\nDTEND:20240506T150000Z\r\nSUMMARY:Budget review\r\n"));

TEST(CalendarReaderTest, AnAppointmentWithAFifteenMinuteReminderAndItsTexts)
{
    const std::time_t start = 1715004000;  // 05/06/24 14:00 UTC
    CalendarReading reading = Read(kBudget, start - kHour);
    ASSERT_EQ(reading.reminders.size(), 1u);
    const CPimReminder& r = reading.reminders[0];
    EXPECT_EQ(r.reminderTime, start - 15 * 60);
    EXPECT_FALSE(r.task);
    EXPECT_EQ(ReminderAlphaText(r, false), "02:00-03:00 Budget review");
    EXPECT_EQ(ReminderAlphaText(r, true), "14:00-15:00 Budget review");
    EXPECT_EQ(ReminderNumericText(r, false), "0200");
    EXPECT_EQ(ReminderNumericText(r, true), "1400");

    // Its reminder has passed at 13:50; 100 days ahead it is beyond the window.
    EXPECT_TRUE(Read(kBudget, start - 10 * 60).reminders.empty());
    EXPECT_TRUE(Read(kBudget, start - 100 * kDay).reminders.empty());
    // A reminder due this very second is still queued.
    EXPECT_EQ(Read(kBudget, start - 15 * 60).reminders.size(), 1u);
}

TEST(CalendarReaderTest, AWeeklyMeetingSkipsItsExceptionAndKeepsItsLocalTime)
{
    CScopedZone zone("Europe/Berlin");
    // Mondays 09:00 Berlin time from 18 March 2024, not on 1 April; the clocks change on 31 March.
    const std::string text = Calendar(Event(
        "weekly", "DTSTART;TZID=Europe/Berlin:20240318T090000\r\nDTEND;TZID=Europe/Berlin:20240318T100000\r\n"
                  "RRULE:FREQ=WEEKLY;BYDAY=MO\r\nEXDATE;TZID=Europe/Berlin:20240401T090000\r\nSUMMARY:Team\r\n"));
    CalendarReading reading = Read(text, Local(2024, 3, 18, 0), 28 * kDay);
    EXPECT_EQ(Times(reading), (std::vector<std::time_t>{Local(2024, 3, 18, 8, 45), Local(2024, 3, 25, 8, 45),
                                                        Local(2024, 4, 8, 8, 45)}));
    EXPECT_EQ(ReminderAlphaText(reading.reminders.back(), true), "09:00-10:00 Team");
}

TEST(CalendarReaderTest, TasksAbsoluteTriggersRelatedToTheEndAndOverriddenOccurrences)
{
    const std::time_t now = 1715004000;  // 05/06/24 14:00 UTC
    const std::string text = Calendar(
        // A task without a start, reminded at an absolute time.
        "BEGIN:VTODO\r\nUID:task\r\nDUE:20240507T170000Z\r\nSUMMARY:Send invoices\r\n" +
        Alarm(";VALUE=DATE-TIME:20240507T163000Z") + "END:VTODO\r\n" +
        // A task reminded ten minutes before it is due.
        "BEGIN:VTODO\r\nUID:due\r\nDUE:20240508T120000Z\r\nSUMMARY:Call back\r\n" + Alarm(";RELATED=END:-PT10M") +
        "END:VTODO\r\n" +
        // A finished task and a cancelled event remind nobody.
        "BEGIN:VTODO\r\nUID:done\r\nDUE:20240508T120000Z\r\nSTATUS:COMPLETED\r\nSUMMARY:Done\r\n" + Alarm(":-PT5M") +
        "END:VTODO\r\n" +
        Event("off", "DTSTART:20240508T090000Z\r\nSTATUS:CANCELLED\r\nSUMMARY:Off\r\n") +
        // A daily stand-up with an absolute reminder: once, not every day.
        Event("daily", "DTSTART:20240507T090000Z\r\nDURATION:PT15M\r\nRRULE:FREQ=DAILY\r\nSUMMARY:Stand-up\r\n",
              Alarm(";VALUE=DATE-TIME:20240507T080000Z")) +
        // A repeating lunch whose second occurrence was moved to 13:00.
        Event("lunch", "DTSTART:20240507T120000Z\r\nDTEND:20240507T130000Z\r\nRRULE:FREQ=DAILY;COUNT=3\r\n"
                       "SUMMARY:Lunch\r\n") +
        Event("lunch", "RECURRENCE-ID:20240508T120000Z\r\nDTSTART:20240508T130000Z\r\nDTEND:20240508T140000Z\r\n"
                       "SUMMARY:Late lunch\r\n"));
    CalendarReading reading = Read(text, now);
    std::vector<std::string> seen;
    for (const CPimReminder& r : reading.reminders)
        seen.push_back(FormatLocalTime("%m/%d %H:%M", r.reminderTime) + " " + (r.task ? "task " : "") + ReminderAlphaText(r, true) + " / " +
                       ReminderNumericText(r, true));
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "05/07 08:00 09:00-09:15 Stand-up / 0900",
                        "05/07 11:45 12:00-13:00 Lunch / 1200",
                        "05/07 16:30 task Send invoices / 1630",
                        "05/08 11:50 task Call back / 1150",
                        "05/08 12:45 13:00-14:00 Late lunch / 1300",
                        "05/09 11:45 12:00-13:00 Lunch / 1200",
                    }));
}

TEST(CalendarReaderTest, ARepetitionWithoutEndIsCutAndOnlyTheEarliestRemindersAreKept)
{
    const std::time_t now = 1715004000;
    const std::string text =
        Calendar(Event("flood", "DTSTART:20240506T140000Z\r\nRRULE:FREQ=SECONDLY\r\nSUMMARY:Flood\r\n") +
                 Event("old", "DTSTART:19900101T000000Z\r\nRRULE:FREQ=SECONDLY\r\nSUMMARY:Old flood\r\n") + kBudget);
    CCalendarReader reader({now - kHour, now - kHour + k90Days, true}, 1);
    CalendarNotes notes = reader.Read(text);
    CalendarReading reading = reader.Take();
    EXPECT_TRUE(notes.cut);
    EXPECT_TRUE(reading.cut);
    ASSERT_EQ(reading.reminders.size(), kMaxReminders);
    std::time_t latest = 0;
    for (const CPimReminder& r : reading.reminders) latest = std::max(latest, r.reminderTime);
    // The first 5000 seconds of the flood from 13:45, and the budget meeting among them.
    EXPECT_EQ(latest, now - 15 * 60 + static_cast<std::time_t>(kMaxReminders) - 2);
}

TEST(CalendarReaderTest, DamagedCalendarsAreReadAsFarAsTheyGoAndNeverStopTheScan)
{
    const std::time_t now = 1715004000 - kHour;
    const std::string budget = Event("budget", "DTSTART:20240506T140000Z\r\nSUMMARY:Budget review\r\n");
    struct Case {
        std::string text;
        std::size_t reminders;
        std::size_t damaged;
        bool calendar;
    };
    const Case cases[] = {
        {"", 0, 0, false},
        {std::string("\0\xff\xfe garbage\r\n", 14), 0, 0, false},
        // An event without its END, then a good one; and a calendar cut off in an event.
        {Calendar("BEGIN:VEVENT\r\nUID:cut\r\nDTSTART:20240506T140000Z\r\n" + budget), 0, 1, true},
        {"BEGIN:VCALENDAR\r\n" + budget + "BEGIN:VEVENT\r\nUID:x\r\nDTSTART:2024", 1, 1, true},
        // Values that mean nothing, an unknown rule, an unknown time zone, ends without beginnings.
        {Calendar(Event("bad", "DTSTART:yesterday\r\nSUMMARY:Bad\r\n") + budget), 1, 0, true},
        {Calendar(Event("rule", "DTSTART:20240506T150000Z\r\nRRULE:FREQ=SOMETIMES\r\nSUMMARY:Rule\r\n") + budget), 2,
         0, true},
        {Calendar(Event("zone", "DTSTART;TZID=Nowhere/Atlantis:20240506T150000\r\nSUMMARY:Zone\r\n") + budget), 2, 0,
         true},
        {"END:VEVENT\r\nEND:VCALENDAR\r\n" + Calendar(budget), 1, 0, true},
        // Alarms nested inside alarms far deeper than any calendar goes.
        {Calendar("BEGIN:VEVENT\r\nUID:deep\r\n" + [] {
                      std::string deep;
                      for (int i = 0; i < 5000; ++i) deep += "BEGIN:VALARM\r\n";
                      for (int i = 0; i < 5000; ++i) deep += "END:VALARM\r\n";
                      return deep;
                  }() +
                  "END:VEVENT\r\n" + budget),
         1, 1, true},
        // One item larger than any reminder needs (a picture sent inline).
        {Calendar(Event("huge", "DTSTART:20240506T140000Z\r\nDESCRIPTION:" + std::string(kMaxItemBytes, 'A') +
                                    "\r\nSUMMARY:Huge\r\n") +
                  budget),
         1, 1, true},
    };
    for (const Case& c : cases) {
        CCalendarReader reader({now, now + k90Days, true}, 1);
        CalendarNotes notes = reader.Read(c.text);
        EXPECT_EQ(reader.Take().reminders.size(), c.reminders) << c.text.substr(0, 120);
        EXPECT_EQ(notes.damaged, c.damaged) << c.text.substr(0, 120);
        EXPECT_EQ(notes.calendar, c.calendar) << c.text.substr(0, 120);
    }
}

TEST(IcsSplitTest, ItemsAreGroupedByTheirUidAndTimeZonesKeptApart)
{
    const std::string text = Calendar("BEGIN:VTIMEZONE\r\nTZID:Here\r\nEND:VTIMEZONE\r\n" +
                                      Event("a", "") + Event("b", "") +
                                      "begin:vevent\r\nuid:a\r\nend:vevent\r\n" +  // names in any case
                                      "BEGIN:VTODO\r\nUID:c\r\n d\r\nEND:VTODO\r\n" +  // a folded UID
                                      Event("cd", ""));
    IcsPieces pieces = SplitIcs(text);
    EXPECT_TRUE(pieces.calendar);
    EXPECT_EQ(pieces.damaged, 0u);
    ASSERT_EQ(pieces.timezones.size(), 1u);
    ASSERT_EQ(pieces.items.size(), 3u);
    EXPECT_EQ(pieces.items[0].size(), 2u);  // a, and its override
    EXPECT_EQ(pieces.items[1].size(), 1u);
    EXPECT_EQ(pieces.items[2].size(), 2u);  // "c d" folded is "cd"
}

}  // namespace
}  // namespace corvane::test
