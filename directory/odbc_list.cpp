#include "directory/odbc_list.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <optional>

#include "common/decimal.h"

namespace corvane {
namespace {

// The columns in the order they are bound.
enum Column {
    kCode,
    kCustomData,
    kCustomMessage,
    kDefaultPageContent,
    kDelayTime,
    kPinDelayTime,
    kGroupName,
    kMaximumPageLength,
    kPagerID,
    kPagerType,
    kPhoneNumber,
    kSystemPassword,
    kSeparator,
    kUserName,
    kVoiceOne,
    kVoiceTwo,
    kWaitForConnection,
    kBaudRate,
    kColumnCount
};

constexpr std::array<const char*, kColumnCount> kColumnNames = {
    "Code",     "CustomData", "CustomMessage",  "DefaultPageContent", "DelayTime", "PinDelayTime",
    "GroupName", "MaximumPageLength", "PagerID", "PagerType", "PhoneNumber", "SystemPassword",
    "Separator", "UserName",   "VoiceOne",       "VoiceTwo",           "WaitForConnection", "BaudRate"};

constexpr std::size_t kBufferSize = kOdbcTextLength + 1;  // the text and the driver's zero byte
// Rows per fetch: few round trips to a server, and a fixed 18 x 64 x 256 bytes of buffer.
constexpr SQLULEN kBlockRows = 64;
// A query that takes longer than this is given up as failed, so the window is not held.
constexpr SQLULEN kQueryTimeoutSeconds = 60;

using RowText = std::array<std::optional<std::string_view>, kColumnCount>;

// A text cut at 255 bytes may end inside a character of several bytes: that piece goes.
std::string_view WholeCharacters(std::string_view text)
{
    std::size_t lead = text.size();
    for (int back = 0; back < 4 && lead > 0; ++back) {
        unsigned char c = static_cast<unsigned char>(text[lead - 1]);
        --lead;
        if ((c & 0xC0) != 0x80) {
            std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            return lead + need > text.size() ? text.substr(0, lead) : text;
        }
    }
    return text;
}

std::string DecimalText(std::string_view text)
{
    return std::to_string(std::clamp<long>(ToLong(text), INT_MIN, INT_MAX));
}

// The pager of one row; false when the row's code cannot make a shared pager.
bool FillSharedPager(const RowText& row, PagerRecord& pager)
{
    if (!row[kCode]) return false;
    long code = ToLong(*row[kCode]);
    if (code < 1 || code > SHRT_MAX) return false;
    pager.Code = static_cast<std::int16_t>(-code);

    auto text = [&](Column column, std::string& field) {
        if (row[column]) field = *row[column];
    };
    auto number = [&](Column column, std::string& field) {
        if (row[column]) field = DecimalText(*row[column]);
    };
    text(kCustomData, pager.CustomData);
    text(kCustomMessage, pager.CustomMessage);
    number(kDefaultPageContent, pager.DefaultPageContent);
    number(kDelayTime, pager.DelayTime);
    number(kPinDelayTime, pager.PinDelayTime);
    if (row[kGroupName]) pager.Groups = SplitGroupNames(*row[kGroupName]);
    if (row[kMaximumPageLength])
        pager.MaximumPageLength = static_cast<std::int16_t>(std::clamp<long>(ToLong(*row[kMaximumPageLength]), 1, SHRT_MAX));
    text(kPagerID, pager.PagerID);
    number(kPagerType, pager.PagerType);
    text(kPhoneNumber, pager.PhoneNumber);
    text(kSystemPassword, pager.SystemPassword);
    text(kSeparator, pager.Separator);
    text(kUserName, pager.UserName);
    text(kVoiceOne, pager.VoiceOne);
    text(kVoiceTwo, pager.VoiceTwo);
    number(kWaitForConnection, pager.WaitForConnection);
    text(kBaudRate, pager.BaudRate);
    return true;
}

}  // namespace

std::vector<std::string> SplitGroupNames(std::string_view text)
{
    std::vector<std::string> names;
    while (!text.empty()) {
        std::size_t cut = text.find_first_of(",/");
        names.emplace_back(text.substr(0, cut));
        if (cut == std::string_view::npos) break;
        text.remove_prefix(cut + 1);
    }
    return names;
}

std::string CODBCList::Query() const
{
    std::string query = "SELECT ";
    for (std::size_t i = 0; i < kColumnNames.size(); ++i) {
        if (i > 0) query += ", ";
        query += m_db.QuoteIdentifier(kColumnNames[i]);
    }
    return query + " FROM " + m_db.QuoteIdentifier(kPagerTableName);
}

bool CODBCList::Create()
{
    m_stmt = COdbcHandle(SQL_HANDLE_STMT, m_db.Handle());
    return static_cast<bool>(m_stmt);
}

bool CODBCList::Open(OdbcError& error)
{
    SQLHSTMT stmt = m_stmt.get();
    SQLFreeStmt(stmt, SQL_CLOSE);  // the cursor of a failed pass, if any
    SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(kQueryTimeoutSeconds), 0);
    if (!BindBlock()) {
        error = m_stmt.Error(SQL_ERROR);
        return false;
    }
    std::string query = Query();
    SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(query.data()), static_cast<SQLINTEGER>(query.size()));
    if (!SQL_SUCCEEDED(rc)) {
        error = m_stmt.Error(rc);
        return false;
    }
    return true;
}

bool CODBCList::BindBlock()
{
    SQLHSTMT stmt = m_stmt.get();
    // A driver that cannot fetch blocks of rows says so, or quietly fetches fewer: read
    // back what it took.
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kBlockRows), 0);
    SQLULEN rows = 1;
    if (!SQL_SUCCEEDED(SQLGetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, &rows, 0, nullptr)) || rows < 1 ||
        rows > kBlockRows)
        rows = 1;
    m_blockRows = rows;
    m_text.assign(kColumnCount * rows * kBufferSize, '\0');
    m_lengths.assign(kColumnCount * rows, 0);
    m_rowStatus.assign(rows, SQL_ROW_NOROW);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, m_rowStatus.data(), 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &m_rowsFetched, 0);
    for (std::size_t c = 0; c < kColumnCount; ++c) {
        SQLRETURN rc = SQLBindCol(stmt, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR, &m_text[c * rows * kBufferSize],
                                  kBufferSize, &m_lengths[c * rows]);
        if (!SQL_SUCCEEDED(rc)) return false;
    }
    return true;
}

bool CODBCList::ReadInto(CPagerList& list, OdbcError& error)
{
    SQLHSTMT stmt = m_stmt.get();
    for (;;) {
        m_rowsFetched = 0;
        SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA) return true;
        if (!SQL_SUCCEEDED(rc)) {
            error = m_stmt.Error(rc);
            return false;
        }
        for (SQLULEN r = 0; r < m_rowsFetched && r < m_blockRows; ++r) {
            // A row the driver could not convert is skipped; truncated text is expected.
            if (m_rowStatus[r] != SQL_ROW_SUCCESS && m_rowStatus[r] != SQL_ROW_SUCCESS_WITH_INFO) continue;
            RowText row;
            for (std::size_t c = 0; c < kColumnCount; ++c) {
                SQLLEN length = m_lengths[c * m_blockRows + r];
                bool cut = length == SQL_NO_TOTAL || length > static_cast<SQLLEN>(kOdbcTextLength);
                if (length < 0 && !cut) continue;  // SQL_NULL_DATA
                const char* data = &m_text[(c * m_blockRows + r) * kBufferSize];
                std::string_view value(data, cut ? kOdbcTextLength : static_cast<std::size_t>(length));
                row[c] = cut ? WholeCharacters(value) : value;
            }
            PagerRecord pager;
            if (FillSharedPager(row, pager)) list.AddBlank() = std::move(pager);
        }
    }
}

void CODBCList::Close()
{
    m_stmt.Reset();
}

}  // namespace corvane
