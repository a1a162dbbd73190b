#include "directory/shared_odbc.h"

#include "common/message_box.h"
#include "directory/monitor_file.h"
#include "directory/odbc_list.h"
#include "settings/settings.h"

namespace corvane {
namespace {

constexpr const char* kCheckDataSource =
    "Check the data source name you have selected on the Pager Data tab of the Preferences dialog.";

// The driver's words as a sentence of the box: its own line ends gone, a full stop, two spaces.
std::string Sentence(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text.empty()) return text;
    if (text.back() != '.') text += '.';
    return text + "  ";
}

bool AskRetry(IMessageBox& messageBox, const std::string& text)
{
    return messageBox.Show(text, kOdbcErrorCaption, MbIcon::Warning, MbButtons::RetryCancel) == MbAnswer::Retry;
}

}  // namespace

std::string OdbcConnectionFailureText(const OdbcError& error)
{
    return "Unable to access shared pager data file.  " + Sentence(error.text) + kCheckDataSource;
}

std::string OdbcReadFailureText(const OdbcError& error)
{
    std::string cause = Sentence(error.text);
    if (cause.empty()) cause = "Error code " + std::to_string(error.code) + " was returned.  ";
    return "Unable to read shared pager data file.  " + cause + kCheckDataSource;
}

void LoadSharedOdbc(CPagerList& list, const DataFiles& files)
{
    const std::string connect =
        OdbcConnectString(files.settings.Get(key::ODBCDataSetName), files.settings.Get(key::ODBCConnectString));
    COdbcConnection database;
    OdbcError error;
    while (!database.Open(connect, error))
        if (!AskRetry(files.messageBox, OdbcConnectionFailureText(error))) return;

    CODBCList records(database);
    if (!records.Create()) {
        files.messageBox.Show(kRecordSetCreateText, kOdbcErrorCaption, MbIcon::Warning, MbButtons::Ok);
        return;
    }
    const std::size_t first = list.size();
    while (!records.Open(error) || !records.ReadInto(list, error)) {
        if (!AskRetry(files.messageBox, OdbcReadFailureText(error))) break;
        // Read again from the first row: the pagers of the failed pass go.
        list.RemoveFrom(first);
    }
    records.Close();
    database.Close();
    ApplyMonitorFile(files.Path(kMonitorFileName), list);
}

}  // namespace corvane
