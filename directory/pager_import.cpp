#include "directory/pager_import.h"

#include <sys/stat.h>

#include <algorithm>
#include <bitset>
#include <climits>
#include <optional>

#include "common/decimal.h"
#include "common/file_io.h"
#include "common/message_box.h"
#include "directory/code_allocator.h"
#include "directory/pin_scramble.h"

namespace corvane {
namespace {

constexpr std::size_t kShortestLine = 5;
constexpr std::string_view kDirectoryMark = "Obj-Class,";
constexpr std::string_view kRemoteMark = "Remote";

bool IsText(std::string_view bytes)
{
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && !(u >= '\t' && u <= '\r') && u != 0x1A) return false;
    }
    return true;
}

// The file's lines one by one, each without its line end, held to the longest a line may be.
class CLineCursor {
public:
    explicit CLineCursor(std::string_view bytes) : m_rest(bytes) {}
    bool Next(std::string_view& line)
    {
        if (m_rest.empty()) return false;
        std::size_t end = m_rest.find('\n');
        line = m_rest.substr(0, end);
        m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++m_number;
        return true;
    }
    std::size_t Number() const { return m_number; }

private:
    std::string_view m_rest;
    std::size_t m_number = 0;
};

std::int16_t ClampedWord(std::string_view text, long low, long high)
{
    return static_cast<std::int16_t>(std::clamp(ToLong(text), low, high));
}

std::string DecimalText(std::string_view text)
{
    return std::to_string(std::clamp<long>(ToLong(text), INT_MIN, INT_MAX));
}

// A field of this program's own file, by its place in the line.
void TakeExportField(std::size_t index, std::string& value, PagerRecord& p)
{
    std::string* fields[] = {&p.PagerType, &p.UserName,          &p.PhoneNumber,    &p.VoiceOne,
                             &p.VoiceTwo,  &p.CustomData,        &p.PagerID,        &p.DelayTime,
                             &p.WaitForConnection, &p.SystemPassword, &p.Separator};
    if (index < std::size(fields))
        *fields[index] = std::move(value);
    else if (index == std::size(fields))
        p.MaximumPageLength = ClampedWord(value, 1, SHRT_MAX);
}

// The "/"-separated list of a pager specification, consumed from the left. Once a field
// has no separator after it, the parsing stops: the field takes the rest only where asked.
class CSlashList {
public:
    explicit CSlashList(std::string_view text) : m_rest(text) {}
    std::optional<std::string_view> Next(bool takesRest = false)
    {
        if (m_stopped) return std::nullopt;
        std::size_t cut = m_rest.find('/');
        if (cut == std::string_view::npos) {
            m_stopped = true;
            return takesRest ? std::optional(m_rest) : std::nullopt;
        }
        std::string_view field = m_rest.substr(0, cut);
        m_rest.remove_prefix(cut + 1);
        return field;
    }

private:
    std::string_view m_rest;
    bool m_stopped = false;
};

// Field 9 of a directory line: five characters, the kind ("A/", "T/" alphanumeric, "N/"
// numeric), then the kind's fields.
void TakeSpecification(std::string_view spec, PagerRecord& p)
{
    if (spec.size() < 6) return;
    std::string_view kind = spec.substr(5, 2);
    CSlashList list(spec.substr(std::min<std::size_t>(spec.size(), 7)));
    if (kind == "A/" || kind == "T/") {
        p.PagerType = "1";
        auto phone = list.Next();
        if (!phone) return;
        p.PhoneNumber = *phone;
        auto id = list.Next();
        if (!id) return;
        p.PagerID = UnscramblePin(*id);
        auto baud = list.Next();
        if (!baud) return;
        p.BaudRate = baud->substr(0, baud->find(','));
        auto password = list.Next();
        if (!password) return;
        p.SystemPassword = *password;
        auto length = list.Next(true);
        if (!length) return;
        p.MaximumPageLength = ClampedWord(*length, 1, SHRT_MAX);
        if (!list.Next()) return;  // a field of no use here
        if (auto pages = list.Next(true)) p.PagesPerCall = ClampedWord(*pages, 1, 9999);
    } else if (kind == "N/") {
        p.PagerType = "0";
        auto phone = list.Next();
        if (!phone) return;
        p.PhoneNumber = *phone;
        auto id = list.Next();
        if (!id) return;
        p.PagerID = UnscramblePin(*id);
        auto delay = list.Next();
        if (!delay) return;
        p.DelayTime = DecimalText(*delay);
        auto pinDelay = list.Next();
        if (!pinDelay) return;
        p.PinDelayTime = DecimalText(*pinDelay);
        if (auto separator = list.Next(true)) p.Separator = *separator;
    }
}

// Field 11 of a directory line: pieces separated by "%", each giving the text after its
// last "=" as a group name.
std::vector<std::string> DirectoryGroups(std::string_view text)
{
    std::vector<std::string> groups;
    while (!text.empty()) {
        std::size_t cut = text.find('%');
        std::string_view piece = text.substr(0, cut);
        std::size_t equals = piece.rfind('=');
        groups.emplace_back(equals == std::string_view::npos ? piece : piece.substr(equals + 1));
        if (cut == std::string_view::npos) break;
        text.remove_prefix(cut + 1);
    }
    return groups;
}

// The next ":"-separated field of a dialling prefix's rest; none when no ":" is left.
std::optional<std::string_view> NextColonField(std::string_view& rest)
{
    std::size_t cut = rest.find(':');
    if (cut == std::string_view::npos) return std::nullopt;
    std::string_view field = rest.substr(0, cut);
    rest.remove_prefix(cut + 1);
    return field;
}

// The paging server keeps the transport in front of the number: "TAP:number:baud:
// password:pages", "DTMF:number:delay:pin delay:separator", "SNPP:host:port". A split
// that finds no further ":" keeps what it has taken and leaves the rest.
void ExaminePhoneNumber(PagerRecord& p)
{
    const std::string number = p.PhoneNumber.substr(0, p.PhoneNumber.find(';'));
    std::string_view view = number;
    if (view.starts_with("TAP:")) {
        std::string_view rest = view.substr(4);
        auto phone = NextColonField(rest);
        if (!phone) return;
        p.PhoneNumber = *phone;
        auto baud = NextColonField(rest);
        if (!baud) return;
        p.BaudRate = *baud;
        auto password = NextColonField(rest);
        if (!password) return;
        p.SystemPassword = *password;
        p.PagesPerCall = ClampedWord(rest, 1, 9999);
    } else if (view.starts_with("DTMF:")) {
        std::string_view rest = view.substr(5);
        auto phone = NextColonField(rest);
        if (!phone) return;
        p.PhoneNumber = *phone;
        auto delay = NextColonField(rest);
        if (!delay) return;
        p.DelayTime = DecimalText(*delay);
        auto pinDelay = NextColonField(rest);
        if (!pinDelay) return;
        p.PinDelayTime = DecimalText(*pinDelay);
        p.Separator = rest;
    } else if (view.starts_with("SNPP:") && view.find(':', 5) != std::string_view::npos) {
        p.PhoneNumber = number;
        p.BaudRate = "300";
    }
}

void TakeDirectoryLine(const std::vector<std::string>& fields, PagerRecord& p)
{
    if (fields.size() >= 4) p.UserName = fields[3];
    if (fields.size() >= 9) TakeSpecification(fields[8], p);
    if (fields.size() >= 11) p.Groups = DirectoryGroups(fields[10]);
    ExaminePhoneNumber(p);
}

// The local codes in use, and how many are free.
std::size_t FreeLocalCodes(const CPagerList& list, std::bitset<kMaxLocalCode + 1>& used)
{
    for (const auto& record : list.records())
        if (record->Code >= 1 && record->Code <= kMaxLocalCode) used.set(record->Code);
    return kMaxLocalCode - used.count();
}

// Local codes for the new pagers, as NewPager gives them one after the other (from the
// list's hint upward, wrapping at 32000), in one pass over the list instead of one per
// pager. The caller has made sure that there are enough free codes.
void AppendAsNewPagers(CPagerList& list, std::vector<PagerRecord>& pagers, std::bitset<kMaxLocalCode + 1>& used)
{
    std::int16_t hint = list.NextCodeHint();
    int candidate = hint >= 1 && hint <= kMaxLocalCode ? hint : 1;
    for (PagerRecord& pager : pagers) {
        while (used.test(candidate)) candidate = candidate == kMaxLocalCode ? 1 : candidate + 1;
        used.set(candidate);
        pager.Code = static_cast<std::int16_t>(candidate);
        list.AddBlank() = std::move(pager);
        candidate = candidate == kMaxLocalCode ? 1 : candidate + 1;
    }
    // As AllocateCode leaves it: one past the last code given out.
    list.SetNextCodeHint(static_cast<std::int16_t>(pagers.empty() ? hint : list.at(list.size() - 1).Code + 1));
}

std::string ProblemText(const ImportedPagers& parsed)
{
    const std::string none = "  No pagers were imported.";
    const std::string line = "Line " + std::to_string(parsed.line) + " of the import file ";
    switch (parsed.problem) {
    case ImportProblem::NotText:
        return "The import file is not a text file." + none;
    case ImportProblem::LineTooLong:
        return line + "is longer than " + std::to_string(kMaxImportLine) + " characters." + none;
    case ImportProblem::OpenQuote:
        return line + "has a quoted field without its closing quote." + none;
    case ImportProblem::None:
        break;
    }
    return {};
}

// The file whole, unless it is no regular file or too large to be pager data.
enum class ReadOutcome { Read, Unreadable, TooLarge };
ReadOutcome ReadImportFile(const std::string& path, std::string& bytes)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadOutcome::Unreadable;
    if (static_cast<std::size_t>(st.st_size) > kMaxImportFile) return ReadOutcome::TooLarge;
    return ReadWholeFile(path, bytes) ? ReadOutcome::Read : ReadOutcome::Unreadable;
}

}  // namespace

bool SplitImportFields(std::string_view line, std::vector<std::string>& fields)
{
    fields.clear();
    std::size_t i = 0;
    for (;;) {
        std::string value;
        if (i < line.size() && line[i] == '"') {
            for (++i;; ++i) {
                if (i >= line.size()) return false;
                if (line[i] != '"') {
                    value += line[i];
                } else if (i + 1 < line.size() && line[i + 1] == '"') {
                    value += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        }
        std::size_t comma = line.find(',', i);
        value.append(line.substr(i, comma == std::string_view::npos ? std::string_view::npos : comma - i));
        fields.push_back(std::move(value));
        if (comma == std::string_view::npos) return true;
        i = comma + 1;
    }
}

ImportedPagers ParsePagerImport(std::string_view bytes)
{
    ImportedPagers result;
    if (!IsText(bytes)) {
        result.problem = ImportProblem::NotText;
        return result;
    }
    CLineCursor lines(bytes);
    std::string_view line;
    if (!lines.Next(line)) return result;
    result.directoryExport = line.size() > kDirectoryMark.size() && line.starts_with(kDirectoryMark);
    // The directory export's first line names its columns; this program's file has none.
    bool haveLine = result.directoryExport ? lines.Next(line) : true;
    std::vector<std::string> fields;
    for (; haveLine; haveLine = lines.Next(line)) {
        auto fail = [&](ImportProblem problem) {
            result.problem = problem;
            result.line = lines.Number();
            result.pagers.clear();
            return result;
        };
        if (line.size() > kMaxImportLine) return fail(ImportProblem::LineTooLong);
        if (line.size() < kShortestLine) break;
        if (result.directoryExport && !(line.size() > kRemoteMark.size() && line.starts_with(kRemoteMark))) continue;
        if (!SplitImportFields(line, fields)) return fail(ImportProblem::OpenQuote);
        ++result.found;
        if (result.pagers.size() >= static_cast<std::size_t>(kMaxLocalCode)) continue;  // counted only
        PagerRecord& pager = result.pagers.emplace_back();
        if (result.directoryExport) {
            TakeDirectoryLine(fields, pager);
        } else {
            for (std::size_t i = 0; i < fields.size(); ++i) TakeExportField(i, fields[i], pager);
        }
    }
    return result;
}

bool ImportPagers(const std::string& path, CPagerList& list, const DataFiles& files)
{
    auto warn = [&](const std::string& text) {
        files.messageBox.Show(text, kImportCaption, MbIcon::Warning, MbButtons::Ok);
        return false;
    };
    std::string bytes;
    switch (ReadImportFile(path, bytes)) {
    case ReadOutcome::Unreadable:
        return warn(kImportUnreadableText);
    case ReadOutcome::TooLarge:
        return warn("The import file is larger than " + std::to_string(kMaxImportFile >> 20) +
                    " MB.  No pagers were imported.");
    case ReadOutcome::Read:
        break;
    }
    ImportedPagers parsed = ParsePagerImport(bytes);
    bytes = std::string();
    if (parsed.problem != ImportProblem::None) return warn(ProblemText(parsed));
    if (parsed.found == 0) return warn("The import file holds no pager data.  No pagers were imported.");
    std::bitset<kMaxLocalCode + 1> used;
    std::size_t room = FreeLocalCodes(list, used);
    if (parsed.found > room)
        return warn("The import file holds " + std::to_string(parsed.found) + " pagers, but there is room for only " +
                    std::to_string(room) + " more local pagers.  No pagers were imported.");
    AppendAsNewPagers(list, parsed.pagers, used);
    if (list.Save(files)) files.messageBox.Show(kImportedText, kImportCaption, MbIcon::Information, MbButtons::Ok);
    return true;
}

}  // namespace corvane
