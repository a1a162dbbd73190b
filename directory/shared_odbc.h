#pragma once
// The shared pagers of an ODBC data source: what Reload does when SharedType is not "0".

#include <string>

#include "directory/odbc_connection.h"
#include "directory/pager_list.h"

namespace corvane {

inline constexpr const char* kOdbcErrorCaption = "ODBC Error";
inline constexpr const char* kRecordSetCreateText =
    "Unable to create RecordSet structure for reading shared pager data file.  Check to see that ODBC is "
    "installed correctly on your system.";

// Appends the rows of [Pager_List] of the data source named by ODBCDataSetName and
// ODBCConnectString as shared pagers, then applies MONITOR.DAT. A data source that cannot
// be reached or read asks Retry or Cancel; Cancel leaves the list with the pagers that
// could be read (the local ones at least).
void LoadSharedOdbc(CPagerList& list, const DataFiles& files);

// The texts of the two Retry or Cancel boxes, from the driver's error.
std::string OdbcConnectionFailureText(const OdbcError& error);
std::string OdbcReadFailureText(const OdbcError& error);

}  // namespace corvane
