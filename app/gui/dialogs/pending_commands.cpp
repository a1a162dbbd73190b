// The place of the Preferences dialog, which comes with a part of the program of its own.
// The part that brings it defines its command and says that it is there (and removes the
// definitions here); until then the frame does not show its entry.

#include "app/gui/dialogs/dialog_commands.h"

namespace corvane {

bool CDialogCommands::HasPreferences()
{
    return false;
}

bool CDialogCommands::ConfigurePreferences()
{
    return false;
}

}  // namespace corvane
