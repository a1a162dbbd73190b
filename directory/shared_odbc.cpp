#include "directory/shared_odbc.h"

#include "common/message_box.h"
#include "directory/odbc_reader.h"
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

std::unique_ptr<CPagerList> ReadSharedOdbc(const DataFiles& files)
{
    using Outcome = COdbcReader::Outcome;
    COdbcReader reader(
        OdbcConnectString(files.settings.Get(key::ODBCDataSetName), files.settings.Get(key::ODBCConnectString)),
        files.pump);
    OdbcError error;
    for (;;) {
        Outcome connected = reader.Connect(error);
        if (connected == Outcome::Done) break;
        if (connected == Outcome::Abandoned) return nullptr;
        if (!AskRetry(files.messageBox, OdbcConnectionFailureText(error))) return std::make_unique<CPagerList>();
    }
    for (;;) {
        switch (reader.Read(error)) {
        case Outcome::Done: {
            std::unique_ptr<CPagerList> pagers = reader.TakePagers();
            reader.Close();
            return pagers;
        }
        case Outcome::Abandoned:
            return nullptr;
        case Outcome::NoRecordSet:
            files.messageBox.Show(kRecordSetCreateText, kOdbcErrorCaption, MbIcon::Warning, MbButtons::Ok);
            reader.Close();
            return std::make_unique<CPagerList>();
        case Outcome::Failed:
            if (AskRetry(files.messageBox, OdbcReadFailureText(error))) continue;  // from the first row again
            reader.Close();
            return std::make_unique<CPagerList>();
        }
    }
}

}  // namespace corvane
