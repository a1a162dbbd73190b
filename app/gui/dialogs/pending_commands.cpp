// The places of the Preferences and Mail Filters dialogs, which come with parts of the
// program of their own. The part that brings a dialog defines its command and says that
// it is there (and removes the definitions here); until then the frame shows neither the
// entries nor the Monitor EMail button.

#include "app/gui/dialogs/dialog_commands.h"

namespace corvane {

bool CDialogCommands::HasPreferences()
{
    return false;
}

bool CDialogCommands::HasEmailMonitor()
{
    return false;
}

bool CDialogCommands::ConfigurePreferences()
{
    return false;
}

bool CDialogCommands::ConfigureMailFilters()
{
    return false;
}

}  // namespace corvane
