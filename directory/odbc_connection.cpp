#include "directory/odbc_connection.h"

#include <cctype>
#include <string_view>
#include <utility>

namespace corvane {
namespace {

void TrimLineEnds(std::string& text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
}

}  // namespace

COdbcHandle::COdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type)
{
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &m_handle))) m_handle = SQL_NULL_HANDLE;
}

COdbcHandle::~COdbcHandle()
{
    Reset();
}

COdbcHandle::COdbcHandle(COdbcHandle&& other) noexcept
    : m_type(other.m_type), m_handle(std::exchange(other.m_handle, SQLHANDLE{}))
{
}

COdbcHandle& COdbcHandle::operator=(COdbcHandle&& other) noexcept
{
    if (this != &other) {
        Reset();
        m_type = other.m_type;
        m_handle = std::exchange(other.m_handle, SQLHANDLE{});
    }
    return *this;
}

void COdbcHandle::Reset()
{
    if (m_handle != SQL_NULL_HANDLE) SQLFreeHandle(m_type, m_handle);
    m_handle = SQL_NULL_HANDLE;
}

OdbcError COdbcHandle::Error(SQLRETURN code) const
{
    OdbcError error;
    error.code = code;
    if (m_handle == SQL_NULL_HANDLE) return error;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[4096] = {};
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRec(m_type, m_handle, record, state, &native, message, sizeof message, &length);
        if (!SQL_SUCCEEDED(rc)) break;
        std::string text(reinterpret_cast<const char*>(message));
        // Drivers end some messages with a line break of their own; one line a record.
        TrimLineEnds(text);
        if (text.empty()) continue;
        if (!error.text.empty()) error.text += '\n';
        error.text += text;
    }
    return error;
}

COdbcHandle NewOdbcEnvironment()
{
    COdbcHandle env(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    if (env && !SQL_SUCCEEDED(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION,
                                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)))
        env.Reset();
    return env;
}

bool COdbcConnection::Open(const std::string& connectString, OdbcError& error)
{
    Close();
    m_env = NewOdbcEnvironment();
    if (!m_env) {
        error = {"The ODBC driver manager could not be initialised.", SQL_ERROR};
        return false;
    }
    m_dbc = COdbcHandle(SQL_HANDLE_DBC, m_env.get());
    if (!m_dbc) {
        error = m_env.Error(SQL_ERROR);
        return false;
    }
    // Both are requests a driver may decline; neither is worth failing the connection for.
    SQLSetConnectAttr(m_dbc.get(), SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
    SQLSetConnectAttr(m_dbc.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(kOdbcLoginTimeoutSeconds),
                      0);

    std::string text = connectString;
    SQLRETURN rc = SQLDriverConnect(m_dbc.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                    static_cast<SQLSMALLINT>(text.size()), nullptr, 0, nullptr,
                                    SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        error = m_dbc.Error(rc);
        m_dbc.Reset();
        m_env.Reset();
        return false;
    }
    m_open = true;

    SQLCHAR quote[8] = {};
    SQLSMALLINT length = 0;
    if (SQL_SUCCEEDED(SQLGetInfo(m_dbc.get(), SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof quote, &length)))
        m_quote = reinterpret_cast<const char*>(quote);
    if (m_quote == " ") m_quote.clear();  // the driver's way of saying it has none
    return true;
}

void COdbcConnection::Close()
{
    if (m_open) SQLDisconnect(m_dbc.get());
    m_open = false;
    m_dbc.Reset();
    m_env.Reset();
    m_quote.clear();
}

std::string COdbcConnection::QuoteIdentifier(const std::string& name) const
{
    return m_quote + name + m_quote;
}

std::string OdbcConnectString(const std::string& dataSetName, const std::string& connectSetting)
{
    // The stored connect string carries the "ODBC;" prefix of the record-set convention;
    // the driver manager takes only what follows it.
    std::string_view rest = connectSetting;
    constexpr std::string_view prefix = "ODBC;";
    if (rest.size() >= prefix.size()) {
        bool prefixed = true;
        for (std::size_t i = 0; i < prefix.size(); ++i)
            prefixed = prefixed && std::toupper(static_cast<unsigned char>(rest[i])) == prefix[i];
        if (prefixed) rest.remove_prefix(prefix.size());
    }
    std::string result;
    if (!dataSetName.empty()) result = "DSN=" + dataSetName;
    if (!rest.empty()) {
        if (!result.empty()) result += ';';
        result += rest;
    }
    return result;
}

std::vector<std::string> ListOdbcDataSources()
{
    std::vector<std::string> names;
    COdbcHandle env = NewOdbcEnvironment();
    if (!env) return names;
    // Room for any name: a name cut to fit a small buffer would not connect.
    SQLCHAR name[256];
    SQLCHAR description[512];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSources(env.get(), direction, name, sizeof name, &nameLength, description,
                                        sizeof description, &descriptionLength))) {
        names.emplace_back(reinterpret_cast<const char*>(name));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

}  // namespace corvane
