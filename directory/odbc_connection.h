#pragma once
// A connection to an ODBC data source through unixODBC's C API: the handles owned, every
// failure kept as the driver's own words (its diagnostic records), and the machine's
// list of data sources for the Pager Data preference page.

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

namespace corvane {

// What a failed ODBC call said: the messages of its diagnostic records, one a line, and
// the call's return code.
struct OdbcError {
    std::string text;
    SQLRETURN code = SQL_SUCCESS;
};

// One ODBC handle, freed with its owner.
class COdbcHandle {
public:
    COdbcHandle() = default;
    // Allocates a handle of the type under its parent (SQL_NULL_HANDLE for an environment);
    // empty when that fails.
    COdbcHandle(SQLSMALLINT type, SQLHANDLE parent);
    ~COdbcHandle();
    COdbcHandle(COdbcHandle&& other) noexcept;
    COdbcHandle& operator=(COdbcHandle&& other) noexcept;
    COdbcHandle(const COdbcHandle&) = delete;
    COdbcHandle& operator=(const COdbcHandle&) = delete;

    SQLHANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }
    // The diagnostic records of the last call on this handle, as an error of that call.
    OdbcError Error(SQLRETURN code) const;
    void Reset();

private:
    SQLSMALLINT m_type = 0;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// An environment for ODBC 3 behaviour; empty when the driver manager cannot give one.
COdbcHandle NewOdbcEnvironment();

class COdbcConnection {
public:
    COdbcConnection() = default;
    ~COdbcConnection() { Close(); }
    COdbcConnection(const COdbcConnection&) = delete;
    COdbcConnection& operator=(const COdbcConnection&) = delete;

    // Connects read-only, without a prompt. A server that does not answer fails after the
    // login time-out rather than holding the program.
    bool Open(const std::string& connectString, OdbcError& error);
    void Close();
    bool IsOpen() const { return m_open; }
    SQLHDBC Handle() const { return m_dbc.get(); }
    // The name quoted as this driver quotes identifiers ("Code" for most, `Code` for some),
    // so that mixed-case names keep their case; bare when the driver has no quoting.
    std::string QuoteIdentifier(const std::string& name) const;

private:
    COdbcHandle m_env;
    COdbcHandle m_dbc;
    std::string m_quote;
    bool m_open = false;
};

// How long a connection attempt may take before it counts as failed.
inline constexpr SQLULEN kOdbcLoginTimeoutSeconds = 15;

// The connect string from the two settings: the data source name, and the connect string
// (its "ODBC;" prefix removed), e.g. "DSN=Corvane Pager List;UID=pager".
std::string OdbcConnectString(const std::string& dataSetName, const std::string& connectSetting);

// The names of the machine's data sources (the user's and the system's), in the driver
// manager's order.
std::vector<std::string> ListOdbcDataSources();

}  // namespace corvane
