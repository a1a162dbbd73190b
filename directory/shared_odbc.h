#pragma once
// The shared pagers of an ODBC data source: what Reload does when SharedType is not "0".

#include <memory>
#include <string>

#include "directory/odbc_connection.h"
#include "directory/pager_list.h"

namespace corvane {

inline constexpr const char* kOdbcErrorCaption = "ODBC Error";
inline constexpr const char* kRecordSetCreateText =
    "Unable to create RecordSet structure for reading shared pager data file.  Check to see that ODBC is "
    "installed correctly on your system.";

// The rows of [Pager_List] of the data source named by ODBCDataSetName and
// ODBCConnectString, as shared pagers. A data source that cannot be reached or read asks
// Retry or Cancel; Cancel gives no shared pagers. With the pump of `files` the program goes
// on while the data source is waited for (COdbcReader). Null only when the program is
// ending during such a wait: the reading was left behind, nothing was read.
std::unique_ptr<CPagerList> ReadSharedOdbc(const DataFiles& files);

// The texts of the two Retry or Cancel boxes, from the driver's error.
std::string OdbcConnectionFailureText(const OdbcError& error);
std::string OdbcReadFailureText(const OdbcError& error);

}  // namespace corvane
