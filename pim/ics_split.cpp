#include "pim/ics_split.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_map>

namespace corvane {
namespace {

// Deeper nesting than this is never a calendar; the surplus BEGIN lines are not counted.
constexpr std::size_t kMaxStack = 64;

bool StartsWithNoCase(std::string_view line, std::string_view prefix)
{
    if (line.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(line[i])) != prefix[i]) return false;
    return true;
}

std::string Name(std::string_view rest)
{
    std::string name;
    for (char c : rest)
        if (!std::isspace(static_cast<unsigned char>(c))) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

class CSplitter {
public:
    explicit CSplitter(std::string_view text) : m_text(text) {}

    IcsPieces Run()
    {
        std::size_t pos = 0;
        while (pos < m_text.size()) {
            std::size_t eol = m_text.find('\n', pos);
            std::size_t next = eol == std::string_view::npos ? m_text.size() : eol + 1;
            std::string_view line = m_text.substr(pos, (eol == std::string_view::npos ? m_text.size() : eol) - pos);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (StartsWithNoCase(line, "BEGIN:")) Begin(Name(line.substr(6)), pos);
            else if (StartsWithNoCase(line, "END:")) End(Name(line.substr(4)), next);
            else if (IsUidLine(line)) m_uid = UidValue(line, next);
            pos = next;
        }
        if (m_inBlock) ++m_out.damaged;
        Group();
        return std::move(m_out);
    }

private:
    void Begin(const std::string& name, std::size_t pos)
    {
        if (name == "VCALENDAR") m_out.calendar = true;
        bool item = name == "VEVENT" || name == "VTODO";
        if (!m_inBlock && (item || name == "VTIMEZONE")) {
            m_inBlock = true;
            m_broken = false;
            m_timezone = !item;
            m_blockBegin = pos;
            m_blockDepth = m_stack.size();
            m_uid.clear();
        } else if (m_inBlock && m_stack.size() - m_blockDepth >= static_cast<std::size_t>(kMaxItemDepth)) {
            m_broken = true;
        }
        if (m_stack.size() < kMaxStack) m_stack.push_back(name);
    }

    void End(const std::string& name, std::size_t next)
    {
        auto open = std::find(m_stack.rbegin(), m_stack.rend(), name);
        if (open == m_stack.rend()) return;  // ends nothing that began
        std::size_t index = static_cast<std::size_t>(m_stack.rend() - open) - 1;
        if (m_inBlock && index <= m_blockDepth) {
            // The block's own END, with everything inside it closed, makes a whole block;
            // anything else ended it without its END.
            bool whole = index == m_blockDepth && index == m_stack.size() - 1 && !m_broken;
            if (whole) Keep(m_text.substr(m_blockBegin, next - m_blockBegin));
            else ++m_out.damaged;
            m_inBlock = false;
        }
        m_stack.resize(index);
    }

    bool IsUidLine(std::string_view line) const
    {
        return m_inBlock && !m_timezone && m_stack.size() == m_blockDepth + 1 && StartsWithNoCase(line, "UID") &&
               line.size() > 3 && (line[3] == ':' || line[3] == ';');
    }

    // The value after the colon, with its folded continuation lines.
    std::string UidValue(std::string_view line, std::size_t next) const
    {
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return {};
        std::string value(line.substr(colon + 1));
        while (next < m_text.size() && (m_text[next] == ' ' || m_text[next] == '\t')) {
            std::size_t eol = m_text.find('\n', next);
            std::size_t end = eol == std::string_view::npos ? m_text.size() : eol;
            std::string_view more = m_text.substr(next + 1, end - next - 1);
            if (!more.empty() && more.back() == '\r') more.remove_suffix(1);
            value += more;
            next = eol == std::string_view::npos ? m_text.size() : eol + 1;
        }
        return value;
    }

    void Keep(std::string_view block)
    {
        if (m_timezone) {
            m_out.timezones.push_back(block);
            return;
        }
        if (m_uid.empty()) {
            m_blocks.push_back({block});
            return;
        }
        auto [found, added] = m_groupOfUid.try_emplace(m_uid, m_blocks.size());
        if (added) m_blocks.emplace_back();
        m_blocks[found->second].push_back(block);
    }

    void Group()
    {
        for (std::vector<std::string_view>& group : m_blocks) {
            std::size_t bytes = 0;
            for (std::string_view block : group) bytes += block.size();
            if (bytes > kMaxItemBytes) {
                m_out.damaged += group.size();
                continue;
            }
            m_out.items.push_back(std::move(group));
        }
    }

    std::string_view m_text;
    IcsPieces m_out;
    std::vector<std::string> m_stack;
    std::vector<std::vector<std::string_view>> m_blocks;
    std::unordered_map<std::string, std::size_t> m_groupOfUid;
    bool m_inBlock = false;
    bool m_broken = false;
    bool m_timezone = false;
    std::size_t m_blockBegin = 0;
    std::size_t m_blockDepth = 0;
    std::string m_uid;
};

}  // namespace

IcsPieces SplitIcs(std::string_view text)
{
    return CSplitter(text).Run();
}

}  // namespace corvane
