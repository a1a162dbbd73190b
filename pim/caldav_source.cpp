#include "pim/caldav_source.h"

#include "pim/caldav_response.h"
#include "settings/mail_password.h"

namespace corvane {
namespace {

constexpr const char* kWhere = "the calendar server";

bool IsHttpUrl(const std::string& url)
{
    return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

struct Answer {
    std::string& bytes;
    bool tooLarge = false;
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target)
{
    auto* answer = static_cast<Answer*>(target);
    if (answer->bytes.size() + size * count > kMaxCalendarBytes) {
        answer->tooLarge = true;
        return 0;  // ends the transfer
    }
    answer->bytes.append(data, size * count);
    return size * count;
}

}  // namespace

CCalDavSource::CCalDavSource(ISettings& settings, IEventPump& pump, const IClock& clock, int source)
    : m_settings(settings), m_pump(pump), m_session(pump, clock), m_source(source)
{
}

std::string CCalDavSource::Connect()
{
    return IsHttpUrl(m_settings.Get(key::CalendarUrl)) ? "" : kServerLoadText;
}

bool CCalDavSource::Report(const std::string& url, const std::string& body, std::string& answer, SourceScan& scan)
{
    CURL* easy = m_session.Prepare();
    curl_slist* headers = curl_slist_append(nullptr, "Depth: 1");
    headers = curl_slist_append(headers, "Content-Type: application/xml; charset=utf-8");
    Answer collected{answer};
    const std::string user = m_settings.Get(key::ScheduleName);
    const std::string password = ReadMailPassword(m_settings);
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "REPORT");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, body.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &collected);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    if (!user.empty()) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC | CURLAUTH_DIGEST);
    }
    CurlOutcome outcome = m_session.Perform(kTimeoutMs);
    curl_slist_free_all(headers);

    scan.read = false;
    if (outcome.cancelled) return false;  // the user's Cancel or Exit: nothing to report
    if (collected.tooLarge) return scan.problems.push_back(TooLargeText("the calendar server's answer")), false;
    m_transferError = outcome.Ok() ? "" : outcome.error;
    if (!outcome.Ok()) return scan.problems.push_back(kServerLoadText), false;
    if (outcome.responseCode == 401 || outcome.responseCode == 403)
        return scan.problems.push_back(kServerLogonText), false;
    if (outcome.responseCode != 207) return scan.problems.push_back(kServerCalendarText), false;
    scan.read = true;
    return true;
}

SourceScan CCalDavSource::Scan(std::time_t now)
{
    SourceScan scan;
    const std::string url = m_settings.Get(key::CalendarUrl);
    if (!IsHttpUrl(url)) {
        scan.read = false;
        scan.problems.push_back(kServerLoadText);
        return scan;
    }
    const ReminderWindow window{now, now + kServerWindowSeconds, true};
    CCalendarReader reader(window, m_source, [this] { m_pump.Wait(1, -1, true); });
    CalendarNotes notes{0, false, true};
    for (const char* component : {"VEVENT", "VTODO"}) {
        std::string answer;
        if (!Report(url, CalendarQuery(component, window.from, window.to), answer, scan)) return scan;
        for (const std::string& text : CalendarDataOf(answer)) {
            CalendarNotes read = reader.Read(text);
            notes.damaged += read.damaged + (read.calendar ? 0 : 1);
            notes.cut = notes.cut || read.cut;
        }
    }
    NoteProblems(notes, kWhere, scan);
    CalendarReading reading = reader.Take();
    if (reading.cut && !notes.cut) scan.problems.push_back(RepeatsCutText(kWhere));
    scan.reminders = std::move(reading.reminders);
    return scan;
}

}  // namespace corvane
