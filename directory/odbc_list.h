#pragma once
// CODBCList: the read-only record set over the shared pager table [Pager_List]. Each row
// becomes a shared pager (negative code) of a CPagerList.
//
// Every column is fetched as text of at most 255 bytes, whatever its type in the
// table, and converted here: a number column holding text or a fraction still gives the
// plain decimal conversion the rest of the program uses (7.9 gives 7, "abc" gives 0). A
// NULL leaves the pager field at its new-pager default (Separator "*", DelayTime "8",
// MaximumPageLength 80 ...). A row whose Code is NULL or outside 1..32767 cannot be a
// shared pager (negated, it would read as a local one or the scratch record) and is left
// out. Rows are fetched a block at a time into buffers of a fixed size, so a table of any
// length costs no more than the pagers it gives.

#include <sql.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "directory/odbc_connection.h"
#include "directory/pager_list.h"

namespace corvane {

inline constexpr const char* kPagerTableName = "Pager_List";
inline constexpr std::size_t kOdbcTextLength = 255;

class CODBCList {
public:
    explicit CODBCList(COdbcConnection& database) : m_db(database) {}

    // The statement handle; false when the driver cannot give one.
    bool Create();
    // Runs the query (again, after a failure); false with the driver's error.
    bool Open(OdbcError& error);
    // Appends one shared pager for each usable row, to the end of the table. False with the
    // driver's error when a fetch fails; the pagers of the rows before it stay.
    bool ReadInto(CPagerList& list, OdbcError& error);
    void Close();

    // SELECT with every column and the table quoted as the driver quotes identifiers.
    std::string Query() const;

private:
    bool BindBlock();

    COdbcConnection& m_db;
    COdbcHandle m_stmt;
    SQLULEN m_blockRows = 1;
    std::vector<char> m_text;      // column by column: m_blockRows buffers of 256 bytes each
    std::vector<SQLLEN> m_lengths;  // column by column: the length or SQL_NULL_DATA of each
    std::vector<SQLUSMALLINT> m_rowStatus;
    SQLULEN m_rowsFetched = 0;
};

// The GroupName column as group names: cut at every "," and "/", the parts kept as they
// are (blanks and empty names included); nothing after the last separator is no name.
std::vector<std::string> SplitGroupNames(std::string_view text);

}  // namespace corvane
