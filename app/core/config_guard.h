#pragma once
// The configuration commands are refused while monitoring: the monitors use the pagers,
// the services and the modems that these dialogs would change under them.

namespace corvane {

class IMessageBox;

enum class ConfigArea { Modems, Pagers, Services, Preferences };

struct ConfigRefusal {
    const char* text;
    const char* caption;
};
ConfigRefusal RefusalFor(ConfigArea area);

// True (and the refusal shown) while monitoring is on.
bool RefuseWhileMonitoring(ConfigArea area, bool monitoring, IMessageBox& messageBox);

}  // namespace corvane
