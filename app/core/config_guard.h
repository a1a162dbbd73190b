#pragma once
// The configuration commands are refused while monitoring by hand: the monitors use the
// pagers, the services and the modems that these dialogs would change under them.
// Screen-saver monitoring ends at the first key or pointer move, so the user who reaches
// a menu has already ended it; a command that arrives meanwhile from elsewhere is not
// refused.

namespace corvane {

class CMonitoringControl;
class IMessageBox;

enum class ConfigArea { Modems, Pagers, Services, Preferences };

struct ConfigRefusal {
    const char* text;
    const char* caption;
};
ConfigRefusal RefusalFor(ConfigArea area);

// True (and the refusal shown) while Monitor Without Screen Saver is on.
bool RefuseWhileMonitoring(ConfigArea area, const CMonitoringControl& monitoring, IMessageBox& messageBox);

}  // namespace corvane
