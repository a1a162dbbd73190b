#include "pim/calendar_reader.h"

#include <libical/ical.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "pim/ics_split.h"
#include "pim/local_time.h"

namespace corvane {
namespace {

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

struct RecurFree {
    void operator()(icalrecur_iterator* it) const { icalrecur_iterator_free(it); }
};

// A timezone definition beyond this many bytes in all is not read.
constexpr std::size_t kMaxTimezoneBytes = 1 << 20;
// How many items are read between two pauses for the shell's events.
constexpr std::size_t kItemsBetweenPauses = 200;

void QuietLibical()
{
    // Damaged input must come back as errors, never end the program.
    static std::once_flag once;
    std::call_once(once, [] { icalerror_set_errors_are_fatal(0); });
}

Component Parse(const std::string& text)
{
    return Component(icalparser_parse_string(text.c_str()));
}

std::string Wrapped(const std::vector<std::string_view>& blocks)
{
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (std::string_view block : blocks) {
        text.append(block);
        if (text.back() != '\n') text += "\r\n";
    }
    return text + "END:VCALENDAR\r\n";
}

// The instant a calendar time names: in its own zone, in UTC, or (a floating time, a
// date) on the local clock.
std::optional<std::time_t> Instant(icaltimetype t)
{
    if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t)) return std::nullopt;
    if (t.is_date) return ToInstant(WallTime{t.year, t.month, t.day, 0, 0, 0});
    if (icaltime_is_utc(t)) return icaltime_as_timet(t);
    if (t.zone) return icaltime_as_timet_with_zone(t, t.zone);
    return ToInstant(WallTime{t.year, t.month, t.day, t.hour, t.minute, t.second});
}

// The zone a property's TZID names: a VTIMEZONE of the calendar, else a zone of the system.
const icaltimezone* ZoneOf(icalproperty* property, icalcomponent* item)
{
    icalparameter* parameter = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    const char* tzid = parameter ? icalparameter_get_tzid(parameter) : nullptr;
    if (!tzid) return nullptr;
    for (icalcomponent* c = item; c; c = icalcomponent_get_parent(c))
        if (icaltimezone* zone = icalcomponent_get_timezone(c, tzid)) return zone;
    if (icaltimezone* zone = icaltimezone_get_builtin_timezone_from_tzid(tzid)) return zone;
    return icaltimezone_get_builtin_timezone(tzid);
}

icaltimetype InZone(icaltimetype t, icalproperty* property, icalcomponent* item)
{
    if (!t.is_date && !icaltime_is_utc(t))
        if (const icaltimezone* zone = ZoneOf(property, item)) t.zone = zone;
    return t;
}

// Only items with an alarm can remind anybody; most calendar items have none, and the
// parser need not see them.
bool MentionsAlarm(const std::vector<std::string_view>& group)
{
    static const std::string_view kAlarm = "VALARM";
    for (std::string_view block : group) {
        auto found = std::search(block.begin(), block.end(), kAlarm.begin(), kAlarm.end(),
                                 [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
        if (found != block.end()) return true;
    }
    return false;
}

bool HasProperty(icalcomponent* c, icalproperty_kind kind)
{
    return icalcomponent_get_first_property(c, kind) != nullptr;
}

struct Alarm {
    std::optional<std::time_t> at;  // an absolute trigger: once, whatever the repetitions
    bool fromEnd = false;            // RELATED=END: counted from the end (a task's due time)
    int offset = 0;                  // seconds from the start (or end)
};

std::vector<Alarm> AlarmsOf(icalcomponent* item)
{
    std::vector<Alarm> alarms;
    for (icalcomponent* a = icalcomponent_get_first_component(item, ICAL_VALARM_COMPONENT); a;
         a = icalcomponent_get_next_component(item, ICAL_VALARM_COMPONENT)) {
        icalproperty* trigger = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY);
        if (!trigger) continue;
        icaltriggertype value = icalproperty_get_trigger(trigger);
        Alarm alarm;
        if (!icaltime_is_null_time(value.time)) {
            alarm.at = Instant(InZone(value.time, trigger, item));
            if (!alarm.at) continue;
        } else {
            icalparameter* related = icalproperty_get_first_parameter(trigger, ICAL_RELATED_PARAMETER);
            alarm.fromEnd = related && icalparameter_get_related(related) == ICAL_RELATED_END;
            alarm.offset = icaldurationtype_as_int(value.duration);
        }
        alarms.push_back(alarm);
    }
    return alarms;
}

bool Finished(icalcomponent* item)
{
    icalproperty* status = icalcomponent_get_first_property(item, ICAL_STATUS_PROPERTY);
    icalproperty_status value = status ? icalproperty_get_status(status) : ICAL_STATUS_NONE;
    return value == ICAL_STATUS_CANCELLED || value == ICAL_STATUS_COMPLETED ||
           HasProperty(item, ICAL_COMPLETED_PROPERTY);
}

struct Occurrence {
    std::optional<std::time_t> start;
    std::optional<std::time_t> end;
};

}  // namespace

struct CCalendarReader::Impl {
    ReminderWindow window;
    int source = 0;
    std::function<void()> pause;
    std::size_t itemsRead = 0;
    CalendarReading reading;
    CalendarNotes notes;
    long steps = 0;

    bool InWindow(std::time_t t) const
    {
        return (window.includeFrom ? t >= window.from : t > window.from) && t <= window.to;
    }

    void Add(std::time_t at, const Occurrence& occurrence, const std::string& text, bool task)
    {
        if (!InWindow(at)) return;
        reading.reminders.push_back({at, occurrence.start, occurrence.end, text, task, source, {}});
        // Only the earliest reminders matter: the rest are dropped as they pile up.
        if (reading.reminders.size() >= 2 * kMaxReminders) KeepEarliest();
    }

    void KeepEarliest()
    {
        auto& r = reading.reminders;
        if (r.size() <= kMaxReminders) return;
        std::nth_element(r.begin(), r.begin() + kMaxReminders, r.end(),
                         [](const CPimReminder& a, const CPimReminder& b) { return a.reminderTime < b.reminderTime; });
        r.resize(kMaxReminders);
        reading.cut = true;
    }

    CalendarNotes Read(std::string_view text)
    {
        IcsPieces pieces = SplitIcs(text);
        notes = CalendarNotes{pieces.damaged, false, pieces.calendar};

        std::vector<std::string_view> timezones;
        std::size_t timezoneBytes = 0;
        for (std::string_view zone : pieces.timezones) {
            if ((timezoneBytes += zone.size()) > kMaxTimezoneBytes) break;
            timezones.push_back(zone);
        }
        Component zones = Parse(Wrapped(timezones));
        if (!zones) zones.reset(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));

        for (const std::vector<std::string_view>& group : pieces.items) {
            if (!MentionsAlarm(group)) continue;
            ReadGroup(zones.get(), group);
            if (pause && ++itemsRead % kItemsBetweenPauses == 0) pause();
        }
        return notes;
    }

    void ReadGroup(icalcomponent* zones, const std::vector<std::string_view>& group)
    {
        Component root = Parse(Wrapped(group));
        std::vector<icalcomponent*> items;
        for (icalcomponent* c = root ? icalcomponent_get_first_component(root.get(), ICAL_ANY_COMPONENT) : nullptr; c;
             c = icalcomponent_get_next_component(root.get(), ICAL_ANY_COMPONENT)) {
            icalcomponent_kind kind = icalcomponent_isa(c);
            if (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTODO_COMPONENT) items.push_back(c);
        }
        if (items.size() != group.size()) notes.damaged += group.size() - std::min(items.size(), group.size());
        // Under the calendar that holds the time zones, so that their TZIDs are found.
        for (icalcomponent* item : items) {
            icalcomponent_remove_component(root.get(), item);
            icalcomponent_add_component(zones, item);
        }
        std::set<std::time_t> overridden;
        for (icalcomponent* item : items)
            if (HasProperty(item, ICAL_RECURRENCEID_PROPERTY))
                if (auto at = Instant(icalcomponent_get_recurrenceid(item))) overridden.insert(*at);
        for (icalcomponent* item : items) {
            ReadItem(item, overridden);
            icalcomponent_remove_component(zones, item);
            icalcomponent_free(item);
        }
    }

    void ReadItem(icalcomponent* item, const std::set<std::time_t>& overridden)
    {
        const bool task = icalcomponent_isa(item) == ICAL_VTODO_COMPONENT;
        if (Finished(item)) return;
        std::vector<Alarm> alarms = AlarmsOf(item);
        if (alarms.empty()) return;
        const char* summary = icalcomponent_get_summary(item);
        const std::string text = summary ? summary : "";

        icaltimetype dtstart = HasProperty(item, ICAL_DTSTART_PROPERTY) ? icalcomponent_get_dtstart(item)
                                                                        : icaltime_null_time();
        Occurrence first{Instant(dtstart), EndOf(item, task, dtstart)};
        std::optional<long> length;
        if (first.start && first.end) length = *first.end - *first.start;

        for (const Alarm& alarm : alarms)
            if (alarm.at) Add(*alarm.at, first, text, task);

        bool repeats = first.start && !HasProperty(item, ICAL_RECURRENCEID_PROPERTY) &&
                       (HasProperty(item, ICAL_RRULE_PROPERTY) || HasProperty(item, ICAL_RDATE_PROPERTY));
        std::vector<Occurrence> occurrences;
        if (repeats) occurrences = Expand(item, dtstart, length, overridden);
        else occurrences.push_back(first);
        for (const Occurrence& occurrence : occurrences) {
            for (const Alarm& alarm : alarms) {
                if (alarm.at) continue;
                std::optional<std::time_t> base = alarm.fromEnd ? occurrence.end : occurrence.start;
                if (base) Add(*base + alarm.offset, occurrence, text, task);
            }
        }
    }

    static std::optional<std::time_t> EndOf(icalcomponent* item, bool task, icaltimetype dtstart)
    {
        // A task is due; an event ends (a whole-day event without an end lasts the day).
        if (task) {
            if (!HasProperty(item, ICAL_DUE_PROPERTY) && !HasProperty(item, ICAL_DURATION_PROPERTY)) return std::nullopt;
            return Instant(icalcomponent_get_due(item));
        }
        if (HasProperty(item, ICAL_DTEND_PROPERTY) || HasProperty(item, ICAL_DURATION_PROPERTY))
            if (auto end = Instant(icalcomponent_get_dtend(item))) return end;
        if (dtstart.is_date) {
            icaltimetype next = dtstart;
            icaltime_adjust(&next, 1, 0, 0, 0);
            return Instant(next);
        }
        return Instant(dtstart);
    }

    std::vector<Occurrence> Expand(icalcomponent* item, icaltimetype dtstart, std::optional<long> length,
                                   const std::set<std::time_t>& overridden)
    {
        std::set<std::time_t> excluded;
        std::set<int> excludedDays;  // EXDATEs given as dates
        for (icalproperty* p = icalcomponent_get_first_property(item, ICAL_EXDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(item, ICAL_EXDATE_PROPERTY)) {
            icaltimetype ex = InZone(icalproperty_get_exdate(p), p, item);
            if (ex.is_date) excludedDays.insert(ex.year * 10000 + ex.month * 100 + ex.day);
            else if (auto at = Instant(ex)) excluded.insert(*at);
        }

        std::map<std::time_t, Occurrence> found;
        auto offer = [&](icaltimetype when) {
            std::optional<std::time_t> start = Instant(when);
            if (!start || excluded.count(*start) || overridden.count(*start)) return;
            if (excludedDays.count(when.year * 10000 + when.month * 100 + when.day)) return;
            std::optional<std::time_t> end;
            if (length) end = *start + *length;
            // Occurrences that are over before the window, or begin after it, have no reminder in it.
            if (end.value_or(*start) < window.from || *start > window.to) return;
            found[*start] = {start, end};
        };

        offer(dtstart);  // the first occurrence, whether or not the rule names it
        for (icalproperty* p = icalcomponent_get_first_property(item, ICAL_RRULE_PROPERTY); p;
             p = icalcomponent_get_next_property(item, ICAL_RRULE_PROPERTY)) {
            std::unique_ptr<icalrecur_iterator, RecurFree> it(icalrecur_iterator_new(icalproperty_get_rrule(p), dtstart));
            if (!it) {
                ++notes.damaged;
                continue;
            }
            for (long n = 0;; ++n) {
                if (n >= kMaxStepsPerRule || ++steps > window.maxSteps) {
                    notes.cut = true;
                    break;
                }
                icaltimetype next = icalrecur_iterator_next(it.get());
                if (icaltime_is_null_time(next)) break;
                next.zone = dtstart.zone;
                next.is_date = dtstart.is_date;
                std::optional<std::time_t> at = Instant(next);
                if (!at || *at > window.to) break;
                offer(next);
            }
        }
        for (icalproperty* p = icalcomponent_get_first_property(item, ICAL_RDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(item, ICAL_RDATE_PROPERTY)) {
            icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
            offer(InZone(icaltime_is_null_time(rdate.time) ? rdate.period.start : rdate.time, p, item));
        }

        std::vector<Occurrence> occurrences;
        for (auto& [start, occurrence] : found) occurrences.push_back(occurrence);
        return occurrences;
    }
};

CCalendarReader::CCalendarReader(const ReminderWindow& window, int source, std::function<void()> pause)
    : m(std::make_unique<Impl>())
{
    QuietLibical();
    m->window = window;
    m->source = source;
    m->pause = std::move(pause);
}

CCalendarReader::~CCalendarReader() = default;

CalendarNotes CCalendarReader::Read(std::string_view icsText)
{
    return m->Read(icsText);
}

CalendarReading CCalendarReader::Take()
{
    m->KeepEarliest();
    return std::move(m->reading);
}

}  // namespace corvane
